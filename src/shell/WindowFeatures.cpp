#include "shell/WindowFeatures.h"

#include "engine/PollingCycle.h"
#include "engine/SampleFanOut.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "recording/PlaybackDriver.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QAction>
#include <QDateTime>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

#include <cmath>

namespace quillmark {

namespace {

QAction* addEntry(QMenu* menu, QAction* before, const char* name, const char* caption) {
    auto* action = new QAction(QString::fromUtf8(caption), menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before, action);
    return action;
}

}  // namespace

WindowFeatures::WindowFeatures(MainWindowWidget& window, frmMain& logic, SharedState& state,
                               RecordingPlatform platform)
    : QObject(&window),
      window_(window),
      logic_(logic),
      state_(state),
      platform_(std::move(platform)),
      recording_(window, state, platform_, [&logic] { return logic.link().activity().busy(); }),
      liveChart_(window, state),
      playback_(window, state, platform_),
      timeAtCell_(window,
                  [this](bool live) { return live ? liveChart_.window() : playback_.chart(); }),
      export_(platform_),
      alarms_(window, state, {platform_.settings, platform_.boxes, [&logic] {
                                  return logic.link().activity().busy();
                              }}) {
    initActionsConnections();
    SampleFanOut& samples = logic_.polling().samples();
    // The alarms look at each sample before the recording takes it, so an alarm's marker goes
    // on the sample that raised it.
    samples.addCheck([this](const Sample& sample) { alarms_.check(sample.values, sample.clock); });
    samples.addConsumer([this](const Sample& sample) { onSample(sample); });
    alarms_.monitor().addListener([&samples](const AlarmEvent& alarm) {
        samples.addMarker(MarkerKind::Alarm, alarm.what());
    });
    // The panel opens and closes between samples too (View, Close, a lost link).
    connect(&state_.panelActive, &WatchedFlag::changed, this, &WindowFeatures::updateMenuEntries);
    connect(&recording_, &PanelRecording::recordingChanged, this,
            &WindowFeatures::updateMenuEntries);
    connect(&export_, &RecordingExport::runningChanged, this, &WindowFeatures::updateMenuEntries);
    connect(&playback_, &RecordingPlayback::started, this, [this] {
        liveChart_.close();
        timeAtCell_.close();
        alarms_.reset();
        checkPlaybackRow(playback_.driver()->currentRow());
        connect(playback_.driver(), &PlaybackDriver::rowShown, this,
                &WindowFeatures::checkPlaybackRow);
        updateMenuEntries();
    });
    connect(&playback_, &RecordingPlayback::ended, this, [this] {
        // The table marks its cells on the playback's chart, which has gone.
        timeAtCell_.closeRecordingTable();
        updateMenuEntries();
    });
    connect(window.realTimePanel(), &RealTimePanelWidget::panelClosed, this,
            &WindowFeatures::onPanelClosed);
    // Closing the window ends the program at once; the file is closed before that.
    connect(&window, &MainWindowWidget::closing, this, [this] { recording_.stop(false); });
}

void WindowFeatures::initActionsConnections() {
    QMenu* file = window_.fileMenu();
    QMenu* view = window_.viewMenu();
    // Before Exit, which stays the last entry of File.
    QAction* exit = window_.exitAction();
    record_ = addEntry(file, exit, "mnuRecording", kStartRecordingCaption);
    addMarker_ = addEntry(file, exit, "mnuAddMarker", kAddMarkerCaption);
    open_ = addEntry(file, exit, "mnuOpenRecording", kOpenRecordingCaption);
    exportEntry_ = addEntry(file, exit, "mnuExportRecording", kExportCaption);
    chart_ = addEntry(view, nullptr, "mnuChart", kChartCaption);
    timeAtCellEntry_ = addEntry(view, nullptr, "mnuTimeAtCell", kTimeAtCellCaption);
    alarmsEntry_ = addEntry(view, nullptr, "mnuAlarms", kAlarmsCaption);
    addMarker_->setShortcut(QKeySequence(Qt::Key_F9));
    // Also from the chart window, where a live run is watched.
    addMarker_->setShortcutContext(Qt::ApplicationShortcut);

    connect(record_, &QAction::triggered, this, &WindowFeatures::startOrStopRecording);
    connect(addMarker_, &QAction::triggered, &recording_, &PanelRecording::addMarkerAskingText);
    connect(open_, &QAction::triggered, &playback_, &RecordingPlayback::open);
    connect(exportEntry_, &QAction::triggered, &export_, &RecordingExport::run);
    connect(chart_, &QAction::triggered, this, &WindowFeatures::showChart);
    connect(timeAtCellEntry_, &QAction::triggered, this, &WindowFeatures::showTimeAtCell);
    connect(alarmsEntry_, &QAction::triggered, &alarms_, &AlarmController::editLimits);
    connect(file, &QMenu::aboutToShow, this, &WindowFeatures::updateMenuEntries);
    connect(view, &QMenu::aboutToShow, this, &WindowFeatures::updateMenuEntries);
    updateMenuEntries();
}

void WindowFeatures::updateMenuEntries() {
    const bool recording = recording_.recording();
    const bool live = state_.panelActive && !playback_.active();
    record_->setText(QString::fromUtf8(recording ? kStopRecordingCaption : kStartRecordingCaption));
    record_->setEnabled(recording || live);
    // Hidden, its key goes with it: the menu without a recording is as it always was.
    addMarker_->setVisible(recording);
    exportEntry_->setEnabled(!export_.running());
    // Live data would open the port under a playback.
    window_.viewRealTimeAction()->setEnabled(!playback_.active());
    timeAtCellEntry_->setEnabled(playback_.active() || state_.panelActive);
}

void WindowFeatures::startOrStopRecording() {
    if (recording_.recording()) {
        recording_.stop(true);
    } else if (state_.panelActive && !playback_.active()) {
        recording_.start();
    }
    updateMenuEntries();
}

void WindowFeatures::showChart() {
    if (ChartWindow* chart = playback_.chart()) {
        chart->show();
        chart->raise();
        return;
    }
    liveChart_.show();
}

void WindowFeatures::showTimeAtCell() {
    if (playback_.active()) {
        timeAtCell_.show(playback_.recording(), playback_.name());
    } else if (state_.panelActive) {
        timeAtCell_.show(nullptr, QString());
    }
}

void WindowFeatures::onSample(const Sample& sample) {
    const RecordingRow row = recordingRow(sample);
    liveChart_.append(row, recording_.addRow(row));
    timeAtCell_.appendLive(row);
}

void WindowFeatures::checkPlaybackRow(std::size_t index) {
    const std::shared_ptr<const RecordingColumns> recording = playback_.recording();
    if (!recording || index >= recording->size()) {
        return;
    }
    QuantityValues values{};
    for (std::size_t lane = 0; lane < values.size(); ++lane) {
        if (const float value = recording->lane(lane)[index]; !std::isnan(value)) {
            values[lane] = value;
        }
    }
    alarms_.check(values, QDateTime::fromString(recording->clock(index), Qt::ISODateWithMs));
}

void WindowFeatures::onPanelClosed() {
    // The panel closes when the user closes it or the link is lost: the recording ends with
    // it. During a playback closing the panel is the way back to the idle window.
    recording_.endWithPanel();
    if (playback_.active()) {
        QTimer::singleShot(0, &playback_, &RecordingPlayback::end);
    }
}

}  // namespace quillmark
