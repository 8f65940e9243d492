// The alarms in the window: View, Alarms sets the limits; every row the panel shows, live or
// played back, is checked against them, a gauge in alarm shows it and the line under the panel
// names the latest alarm. With no limit set nothing of this shows.
#pragma once

#include "analysis/AlarmMonitor.h"

#include <QObject>

#include <functional>

class QLabel;

namespace quillmark {

class MainWindowWidget;
class MessageBoxes;
class RealTimePanelWidget;
class SettingsStore;
struct SharedState;

struct AlarmPlatform {
    SettingsStore& settings;
    MessageBoxes& boxes;
    // True while a conversation with the module is in progress; none: never.
    std::function<bool()> linkBusy;
};

class AlarmController final : public QObject {
    Q_OBJECT
public:
    AlarmController(MainWindowWidget& window, SharedState& state, AlarmPlatform platform);

    // Every alarm fires here once, with its text; a recording's marker listens here too.
    AlarmMonitor& monitor() { return monitor_; }

    // The menu entry: the dialog, and the limits stored and used once it is accepted. Chosen
    // while a tick waits for the module, the dialog opens after that tick, which would
    // otherwise stay held, the panel frozen, for as long as the dialog is open.
    void editLimits();
    // The limits in use from now on; the gauges and the line start afresh.
    void useLimits(const AlarmLimits& limits);
    // The values of a sample or row the panel shows, taken at `when`; one time for them all, so
    // that their alarms are known to belong together.
    void check(const QuantityValues& values, const QDateTime& when);
    // Every alarm armed again, the gauges and the line clear: the panel closed, or another
    // stretch of a recording is shown.
    void reset();

private:
    void onAlarm(const AlarmEvent& event);
    void showGaugeAlarms(const QuantityValues& values);
    void clearGaugeAlarms();
    bool acceptable(const TypedLimits& typed);

    MainWindowWidget& window_;
    SharedState& state_;
    AlarmPlatform platform_;
    RealTimePanelWidget* panel_ = nullptr;
    QLabel* line_ = nullptr;
    AlarmMonitor monitor_;
    QDateTime lineTime_;  // of the alarms on the line
    QString lineText_;    // all of them; the line shows what fits
};

}  // namespace quillmark
