// File, Open Recording: a recording played back onto the real-time panel with the port left
// closed, set up for the model it was made with, and its chart with the playback controls and
// the runs compared with it.
#pragma once

#include "shell/recording/RecordingPlatform.h"
#include "widgets/chart/ChartWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

namespace quillmark {

class MainWindowWidget;
class PlaybackDriver;
class RealTimePanelWidget;
class RecordingColumns;
struct SharedState;

class RecordingPlayback final : public QObject {
    Q_OBJECT
public:
    RecordingPlayback(MainWindowWidget& window, const SharedState& state,
                      const RecordingPlatform& platform);

    // Asks for a recording and plays it back; a file that is no recording is said in a box.
    void open();
    // Back to the idle window: the panel goes, the chart closes.
    void end();
    // Lays the recordings the user picks over the one played back.
    void compare();

    bool active() const { return driver_ != nullptr; }
    PlaybackDriver* driver() const { return driver_; }
    ChartWindow* chart() const { return chart_; }
    const QString& name() const { return name_; }
    std::shared_ptr<const RecordingColumns> recording() const;

signals:
    // A recording is on the panel, or no longer.
    void started();
    void ended();

private:
    MainWindowWidget& window_;
    const SharedState& state_;
    const RecordingPlatform& platform_;
    RealTimePanelWidget* panel_ = nullptr;
    PlaybackDriver* driver_ = nullptr;
    QPointer<ChartWindow> chart_;
    QString name_;
    std::optional<ComparisonRequest> lastComparison_;
};

}  // namespace quillmark
