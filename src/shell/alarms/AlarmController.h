// The alarms in the window: View, Alarms sets the limits; every live tick is checked against
// them, a gauge in alarm shows it and the line under the panel names the latest alarm. With no
// limit set nothing of this shows.
#pragma once

#include "analysis/AlarmMonitor.h"

#include <QObject>

#include <functional>

class QAction;
class QLabel;

namespace quillmark {

class MainWindowWidget;
class MessageBoxes;
class RealTimePanelWidget;
class SettingsStore;
class SampleFanOut;
struct Sample;
struct SharedState;

inline constexpr const char* kAlarmsCaption = "&Alarms\u2026";

struct AlarmPlatform {
    SettingsStore& settings;
    MessageBoxes& boxes;
    // True while a conversation with the module is in progress; none: never.
    std::function<bool()> linkBusy;
};

class AlarmController final : public QObject {
    Q_OBJECT
public:
    AlarmController(MainWindowWidget& window, SharedState& state, SampleFanOut& samples,
                    AlarmPlatform platform);

    // Every alarm fires here once, with its text; a recording's marker listens here too.
    AlarmMonitor& monitor() { return monitor_; }

    // The menu entry: the dialog, and the limits stored and used once it is accepted. Chosen
    // while a tick waits for the module, the dialog opens after that tick, which would
    // otherwise stay held, the panel frozen, for as long as the dialog is open.
    void editLimits();
    // The limits in use from now on; the gauges and the line start afresh.
    void useLimits(const AlarmLimits& limits);

private:
    void onAlarm(const AlarmEvent& event);
    void onSample(const Sample& sample);
    void showGaugeAlarms(const Sample& sample);
    void clearGaugeAlarms();
    bool acceptable(const TypedLimits& typed);

    MainWindowWidget& window_;
    SharedState& state_;
    AlarmPlatform platform_;
    RealTimePanelWidget* panel_ = nullptr;
    QLabel* line_ = nullptr;
    QAction* menuEntry_ = nullptr;
    AlarmMonitor monitor_;
    QDateTime lineTime_;  // of the alarms on the line
    QString lineText_;    // all of them; the line shows what fits
};

}  // namespace quillmark
