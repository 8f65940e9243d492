// The recording, chart and playback entries of the main window: starting and stopping a
// recording of the real-time panel, the live chart, and playing an opened recording back onto
// the panel with the port left closed.
#pragma once

#include "recording/Recorder.h"
#include "shell/recording/CompareDialog.h"
#include "widgets/cells/TimeAtCellWindow.h"
#include "widgets/chart/ChartWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QLabel;
class QThread;
class QTimer;

namespace quillmark {

class Clock;
class MainWindowWidget;
class MessageBoxes;
class PlaybackDriver;
class RealTimePanelWidget;
class SettingsStore;
class MarkerTextBox;
class frmMain;
struct SharedState;

// Captions of the new menu entries; they follow the existing ones.
inline constexpr const char* kStartRecordingCaption = "Start &Recording";
inline constexpr const char* kStopRecordingCaption = "Stop &Recording";
inline constexpr const char* kOpenRecordingCaption = "&Open Recording\u2026";
inline constexpr const char* kChartCaption = "&Chart";
inline constexpr const char* kTimeAtCellCaption = "&Time at Cell\u2026";
// Shown in the File menu only while a recording runs.
inline constexpr const char* kAddMarkerCaption = "Add &Marker";
inline constexpr const char* kExportCaption = "Export Recording\u2026";

struct RecordingPlatform {
    Clock& clock;
    MessageBoxes& boxes;
    SettingsStore& settings;
    // Asks for a recording to open, starting in `folder`; empty when the user cancels.
    std::function<QString(const QString& folder)> chooseRecording;
    // Asks for a recording to export, starting in `folder`, then where its log goes,
    // suggesting `log`; empty when the user cancels.
    std::function<QString(const QString& folder)> chooseExportSource;
    std::function<QString(const QString& log)> chooseExportTarget;
    // Asks for recordings to lay over `firstName`, starting in `folder`, and how to line them
    // up; none when the user cancels.
    std::function<std::optional<ComparisonRequest>(const QString& folder, const QString& firstName)>
        chooseComparison;
};

class RecordingController final : public QObject {
    Q_OBJECT
public:
    RecordingController(MainWindowWidget& window, frmMain& logic, SharedState& state,
                        RecordingPlatform platform);
    ~RecordingController() override;

    void startOrStopRecording();
    void openRecording();
    void showChart();
    // The table of the opened recording, or of the live panel's rows from now on.
    void showTimeAtCell();
    void endPlayback();
    // Lays the recordings the user picks over the one played back; a run that cannot be read
    // or lined up is left out with a box saying why, and the others are shown.
    void compareRuns();
    // Writes a recording as an engine-log file in the background; a box tells the outcome.
    void exportRecording();
    bool exporting() const { return exportThread_ != nullptr; }
    // F9: a marker on the sample of this moment, then a box for its text.
    void addMarkerAskingText();
    // A marker with a given text on the next sample (alarms); 0 when nothing is recorded.
    int addMarker(const QString& text) { return recorder_.addMarker(text); }

    bool recording() const { return recorder_.recording(); }
    QString folder() const;
    ChartWindow* liveChart() const { return liveChart_; }
    ChartWindow* playbackChart() const { return playbackChart_; }
    TimeAtCellWindow* timeAtCell() const { return timeAtCell_; }
    PlaybackDriver* playback() const { return playback_; }

private:
    void addMenuEntries(MainWindowWidget& window);
    void onPanelClosed();
    void updateMenuEntries();
    void startRecording();
    void stopRecording(bool tellUser);
    void tellSaved(const QString& path, long rows, long dropped);
    void onWriteFailure(const QString& path, const QString& reason);
    // Runs `show` once no link conversation is in progress.
    void showWhenLinkIdle(std::function<void()> show);
    void showRecordingLine();
    void onSample(const Sample& sample);
    // The chart the table's chosen cell is marked on: the playback's, or the live one.
    void highlightOnChart(const std::vector<TimeWindow>& spans);
    // The open marker box keeps what was typed so far and closes.
    void finishMarkerBox();

    frmMain& logic_;
    SharedState& state_;
    RecordingPlatform platform_;
    RealTimePanelWidget* panel_ = nullptr;
    QAction* record_ = nullptr;
    QAction* open_ = nullptr;
    QAction* chart_ = nullptr;
    QAction* timeAtCellAction_ = nullptr;
    QAction* addMarker_ = nullptr;
    QAction* export_ = nullptr;
    QAction* viewRealTime_ = nullptr;
    QLabel* recordingLine_ = nullptr;
    QTimer* recordingClock_ = nullptr;
    Recorder recorder_;
    QPointer<ChartWindow> liveChart_;
    QPointer<ChartWindow> playbackChart_;
    QPointer<TimeAtCellWindow> timeAtCell_;
    bool timeAtCellLive_ = false;
    PlaybackDriver* playback_ = nullptr;
    QPointer<MarkerTextBox> markerBox_;
    QThread* exportThread_ = nullptr;  // deletes itself once finished
    QString playbackName_;
    QString lastPath_;
    long lastRows_ = 0;
    long lastDropped_ = 0;
};

}  // namespace quillmark
