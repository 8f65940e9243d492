// What the main window offers beyond the module's live data: recording, markers, the live
// chart, playback and comparison, the time-at-cell table, the export and the alarms. One job
// each; this class creates their menu entries in one place, connects each to what it does,
// and hands every sample of the module to the ones that follow the panel.
#pragma once

#include "engine/Sample.h"
#include "shell/alarms/AlarmController.h"
#include "shell/recording/LiveChart.h"
#include "shell/recording/PanelRecording.h"
#include "shell/recording/RecordingExport.h"
#include "shell/recording/RecordingPlatform.h"
#include "shell/recording/RecordingPlayback.h"
#include "shell/recording/TimeAtCellTable.h"

#include <QObject>

class QAction;
class QMenu;

namespace quillmark {

class MainWindowWidget;
class frmMain;
struct SharedState;

// The entries' captions, after the window's own: File gets the recording's entries before
// Exit, View the chart, the table and the alarms after View Real Time Data.
inline constexpr const char* kStartRecordingCaption = "Start &Recording";
inline constexpr const char* kStopRecordingCaption = "Stop &Recording";
// Shown in the File menu only while a recording runs.
inline constexpr const char* kAddMarkerCaption = "Add &Marker";
inline constexpr const char* kOpenRecordingCaption = "&Open Recording\u2026";
inline constexpr const char* kExportCaption = "&Export Recording\u2026";
inline constexpr const char* kChartCaption = "&Chart";
inline constexpr const char* kTimeAtCellCaption = "&Time at Cell\u2026";
inline constexpr const char* kAlarmsCaption = "&Alarms\u2026";

class WindowFeatures final : public QObject {
    Q_OBJECT
public:
    WindowFeatures(MainWindowWidget& window, frmMain& logic, SharedState& state,
                   RecordingPlatform platform);

    PanelRecording& recording() { return recording_; }
    LiveChart& liveChart() { return liveChart_; }
    RecordingPlayback& playback() { return playback_; }
    TimeAtCellTable& timeAtCell() { return timeAtCell_; }
    RecordingExport& exporter() { return export_; }
    AlarmController& alarms() { return alarms_; }

    // The menu entries' handlers.
    void startOrStopRecording();
    void showChart();
    void showTimeAtCell();

private:
    // Every entry this adds to the window's menus, in menu order, each connected to what it
    // does.
    void initActionsConnections();
    void updateMenuEntries();
    void onSample(const Sample& sample);
    // A row the playback shows, checked against the alarm limits as a live one is, at the
    // time it was recorded.
    void checkPlaybackRow(std::size_t index);
    void onPanelClosed();

    MainWindowWidget& window_;
    frmMain& logic_;
    SharedState& state_;
    RecordingPlatform platform_;
    PanelRecording recording_;
    LiveChart liveChart_;
    RecordingPlayback playback_;
    TimeAtCellTable timeAtCell_;
    RecordingExport export_;
    AlarmController alarms_;
    QAction* record_ = nullptr;
    QAction* addMarker_ = nullptr;
    QAction* open_ = nullptr;
    QAction* exportEntry_ = nullptr;
    QAction* chart_ = nullptr;
    QAction* timeAtCellEntry_ = nullptr;
    QAction* alarmsEntry_ = nullptr;
};

}  // namespace quillmark
