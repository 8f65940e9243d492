#include "shell/recording/RecordingController.h"

#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "engine/ModelTraits.h"
#include "engine/RealTimeSession.h"
#include "analysis/ChartMapping.h"
#include "widgets/chart/ChartWidget.h"
#include "widgets/chart/ChartWindow.h"
#include "analysis/RunAlignment.h"
#include "widgets/gauges/RealTimePanelWidget.h"
#include "recording/PlaybackDriver.h"
#include "recording/MlgExport.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingReader.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "shell/recording/MarkerTextBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QThread>
#include <QTimer>

#include <limits>
#include <memory>

namespace quillmark {

namespace {

const QString kRecordingTitle = QStringLiteral("Recording");
const QString kOpenTitle = QStringLiteral("Open Recording");
const QString kExportTitle = QStringLiteral("Export Recording");
const QString kCompareBoxTitle = QString::fromLatin1(kCompareTitle);

// Under the Close button, in the free space above the lower row of gauges; in twips. Tall
// enough for the time and a file name over four lines.
constexpr int kLineLeft = 5760;
constexpr int kLineTop = 2880;
constexpr int kLineWidth = 2100;
constexpr int kLineHeight = 1440;
constexpr int kNameLines = 4;
// A box that must wait for the link to be free looks again this often.
constexpr int kIdleCheckMs = 50;
// The rows wait in memory while the marker box is open, where a crash would lose them; after
// this long the box keeps what was typed and closes.
constexpr int kMarkerBoxMs = 30'000;

// The file name over as many lines as it takes, broken after its underscores, so that model and
// date stay readable; only a name that needs more than `lines` lines loses its middle.
QString wrappedName(const QString& name, const QFontMetrics& metrics, int width, int lines) {
    QStringList pieces;
    QString current;
    qsizetype from = 0;
    while (from < name.size()) {
        qsizetype to = name.indexOf(QLatin1Char('_'), from);
        to = to < 0 ? name.size() : to + 1;
        const QString token = name.mid(from, to - from);
        if (!current.isEmpty() && metrics.horizontalAdvance(current + token) > width) {
            pieces << current;
            current.clear();
        }
        current += token;
        from = to;
    }
    pieces << current;
    if (pieces.size() > lines) {
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    }
    for (QString& piece : pieces) {
        piece = metrics.elidedText(piece, Qt::ElideMiddle, width);
    }
    return pieces.join(QLatin1Char('\n'));
}

QAction* insertAction(QMenu* menu, QAction* before, const char* name, const char* caption) {
    auto* action = new QAction(QString::fromUtf8(caption), menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before, action);
    return action;
}

}  // namespace

RecordingController::RecordingController(MainWindowWidget& window, frmMain& logic,
                                         SharedState& state, RecordingPlatform platform)
    : QObject(&window),
      logic_(logic),
      state_(state),
      platform_(std::move(platform)),
      panel_(window.realTimePanel()),
      recorder_(platform_.clock, [this](const QString& path, const QString& reason) {
          onWriteFailure(path, reason);
      }) {
    addMenuEntries(window);
    logic_.polling().samples().addConsumer([this](const Sample& sample) { onSample(sample); });

    recordingLine_ = new QLabel(panel_);
    recordingLine_->setObjectName(QStringLiteral("lblRecording"));
    recordingLine_->setStyleSheet(QStringLiteral("color: rgb(255, 48, 48); background: black;"));
    recordingLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    recordingLine_->hide();
    connect(panel_, &RealTimePanelWidget::panelClosed, this, &RecordingController::onPanelClosed);
    recordingClock_ = new QTimer(this);
    recordingClock_->setInterval(1000);
    connect(recordingClock_, &QTimer::timeout, this, [this] {
        // A failed write is found here too when no rows come (the link went quiet).
        recorder_.checkForFailure();
        showRecordingLine();
    });
    // Closing the window ends the program at once; the file is closed before that.
    connect(&window, &MainWindowWidget::closing, this, [this] { stopRecording(false); });
}

RecordingController::~RecordingController() {
    if (exportThread_ != nullptr) {
        // The file is finished (or dropped) rather than cut off by the program's end.
        exportThread_->wait();
    }
    recorder_.stop();
}

void RecordingController::addMenuEntries(MainWindowWidget& window) {
    QMenu* file = window.fileMenu();
    QMenu* view = window.viewMenu();
    // Before Exit, which stays the last entry.
    record_ = insertAction(file, window.exitAction(), "mnuRecording", kStartRecordingCaption);
    open_ = insertAction(file, window.exitAction(), "mnuOpenRecording", kOpenRecordingCaption);
    export_ = insertAction(file, window.exitAction(), "mnuExportRecording", kExportCaption);
    addMarker_ = insertAction(file, open_, "mnuAddMarker", kAddMarkerCaption);
    addMarker_->setShortcut(QKeySequence(Qt::Key_F9));
    // Also from the chart window, where a live run is watched.
    addMarker_->setShortcutContext(Qt::ApplicationShortcut);
    chart_ = insertAction(view, nullptr, "mnuChart", kChartCaption);
    timeAtCellAction_ = insertAction(view, nullptr, "mnuTimeAtCell", kTimeAtCellCaption);
    viewRealTime_ = window.viewRealTimeAction();
    connect(record_, &QAction::triggered, this, &RecordingController::startOrStopRecording);
    connect(open_, &QAction::triggered, this, &RecordingController::openRecording);
    connect(chart_, &QAction::triggered, this, &RecordingController::showChart);
    connect(timeAtCellAction_, &QAction::triggered, this, &RecordingController::showTimeAtCell);
    connect(addMarker_, &QAction::triggered, this, &RecordingController::addMarkerAskingText);
    connect(export_, &QAction::triggered, this, &RecordingController::exportRecording);
    connect(file, &QMenu::aboutToShow, this, &RecordingController::updateMenuEntries);
    connect(view, &QMenu::aboutToShow, this, &RecordingController::updateMenuEntries);
    // The panel opens and closes between ticks too (View, Close, a lost link).
    connect(&state_.panelActive, &WatchedFlag::changed, this,
            &RecordingController::updateMenuEntries);
    updateMenuEntries();
}

void RecordingController::updateMenuEntries() {
    const bool live = state_.panelActive && playback_ == nullptr;
    record_->setText(
        QString::fromUtf8(recording() ? kStopRecordingCaption : kStartRecordingCaption));
    record_->setEnabled(recording() || live);
    // Hidden, its key goes with it: the menu without a recording is as it always was.
    addMarker_->setVisible(recording());
    export_->setEnabled(!exporting());
    // Live data would open the port under a playback.
    viewRealTime_->setEnabled(playback_ == nullptr);
    timeAtCellAction_->setEnabled(playback_ != nullptr || state_.panelActive);
}

QString RecordingController::folder() const {
    return recordingFolder(platform_.settings);
}

void RecordingController::startOrStopRecording() {
    if (recording()) {
        stopRecording(true);
    } else if (state_.panelActive && playback_ == nullptr) {
        startRecording();
    }
    updateMenuEntries();
}

void RecordingController::startRecording() {
    const QString name = recordingFileName(state_.modelName, QDateTime::currentDateTime());
    NewRecordingFile file = createRecordingFile(folder(), name);
    QString problem = file.error;
    if (file.file) {
        problem = recorder_.start(std::move(file.file), file.path);
    }
    if (!problem.isEmpty()) {
        // Leave no empty file behind for someone to find later.
        if (!file.path.isEmpty() && QFileInfo(file.path).size() == 0) {
            QFile::remove(file.path);
        }
        platform_.boxes.show(QStringLiteral("Cannot start the recording: %1 could not be "
                                            "created (%2).")
                                 .arg(QDir::toNativeSeparators(file.path), problem),
                             BoxStyle::OkExclamation, kRecordingTitle);
        return;
    }
    recordingClock_->start();
    showRecordingLine();
}

void RecordingController::stopRecording(bool tellUser) {
    if (!recording()) {
        return;
    }
    finishMarkerBox();
    lastPath_ = recorder_.path();
    recorder_.stop();
    // Counted after the stop, which writes the rows held for a marker's text and waits for the
    // disk to take every queued row.
    lastRows_ = recorder_.rowsWritten();
    lastDropped_ = recorder_.rowsDropped();
    if (lastRows_ == 0) {
        // A header alone is no recording; it would only turn up later as an empty log.
        QFile::remove(lastPath_);
    }
    recordingClock_->stop();
    showRecordingLine();
    updateMenuEntries();
    if (tellUser) {
        tellSaved(lastPath_, lastRows_, lastDropped_);
    }
}

void RecordingController::tellSaved(const QString& path, long rows, long dropped) {
    if (rows == 0) {
        platform_.boxes.show(QStringLiteral("Nothing was recorded: the recording ended before the "
                                            "first update of the panel."),
                             BoxStyle::OkInformation, kRecordingTitle);
        return;
    }
    QString text = QStringLiteral(
                       "Recording saved: %1 rows in %2.\r\nRecordings go to the "
                       "folder %3.")
                       .arg(rows)
                       .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(folder()));
    if (dropped > 0) {
        text += QStringLiteral(
                    "\r\n%1 rows are missing from the file: the disk did not take "
                    "them in time.")
                    .arg(dropped);
    }
    platform_.boxes.show(text, dropped > 0 ? BoxStyle::OkExclamation : BoxStyle::OkInformation,
                         kRecordingTitle);
}

void RecordingController::addMarkerAskingText() {
    if (!recording()) {
        return;
    }
    // A second F9 while the box is open keeps the first marker's text as typed.
    finishMarkerBox();
    const int number = recorder_.openMarker();
    auto* box = new MarkerTextBox(number, qobject_cast<QWidget*>(parent()));
    markerBox_ = box;
    connect(box, &MarkerTextBox::finished, this,
            [this](int marker, const QString& text) { recorder_.finishMarker(marker, text); });
    QTimer::singleShot(kMarkerBoxMs, box, &QDialog::accept);
    // Not modal: the polling ticks and the recording go on while the user types.
    box->show();
    box->raise();
    box->activateWindow();
}

void RecordingController::exportRecording() {
    if (exporting()) {
        return;
    }
    const QString source =
        platform_.chooseExportSource ? platform_.chooseExportSource(folder()) : QString();
    if (source.isEmpty()) {
        return;
    }
    const QFileInfo info(source);
    const QString suggested = info.dir().filePath(info.completeBaseName() + QStringLiteral(".mlg"));
    const QString target =
        platform_.chooseExportTarget ? platform_.chooseExportTarget(suggested) : QString();
    if (target.isEmpty()) {
        return;
    }
    // Hours of rows take a second or two to read; the window goes on meanwhile.
    auto result = std::make_shared<MlgExportResult>();
    exportThread_ = QThread::create(
        [result, source, target] { *result = exportRecordingToMlg(source, target); });
    connect(exportThread_, &QThread::finished, this, [this, result, target] {
        exportThread_->deleteLater();
        exportThread_ = nullptr;
        updateMenuEntries();
        if (!result->error.isEmpty()) {
            platform_.boxes.show(
                QStringLiteral("The recording was not exported: %1").arg(result->error),
                BoxStyle::OkExclamation, kExportTitle);
            return;
        }
        platform_.boxes.show(QStringLiteral("Exported %1 rows and %2 markers to %3.")
                                 .arg(result->rows)
                                 .arg(result->markers)
                                 .arg(QDir::toNativeSeparators(target)),
                             BoxStyle::OkInformation, kExportTitle);
    });
    updateMenuEntries();
    exportThread_->start();
}

void RecordingController::finishMarkerBox() {
    if (markerBox_ != nullptr) {
        markerBox_->accept();
    }
}

void RecordingController::onWriteFailure(const QString& path, const QString& reason) {
    finishMarkerBox();
    recordingClock_->stop();
    showRecordingLine();
    updateMenuEntries();
    // The failure is found inside a polling tick; a box there would hold the link and stop the
    // polling until it is answered, although it says the panel goes on.
    showWhenLinkIdle([this, path, reason] {
        platform_.boxes.show(QStringLiteral("Recording stopped: %1 could not be written (%2). "
                                            "The rows before this point are kept; the real-time "
                                            "panel goes on.")
                                 .arg(QDir::toNativeSeparators(path), reason),
                             BoxStyle::OkExclamation, kRecordingTitle);
    });
}

void RecordingController::showWhenLinkIdle(std::function<void()> show) {
    QTimer::singleShot(0, this, [this, show = std::move(show)]() mutable {
        if (logic_.link().activity().busy()) {
            QTimer::singleShot(kIdleCheckMs, this, [this, show = std::move(show)]() mutable {
                showWhenLinkIdle(std::move(show));
            });
            return;
        }
        show();
    });
}

void RecordingController::showRecordingLine() {
    if (!recording()) {
        recordingLine_->hide();
        return;
    }
    const double dpi = panel_->logicalDpiY();
    recordingLine_->setGeometry(twipsRect(kLineLeft, kLineTop, kLineWidth, kLineHeight, dpi));
    const QString name =
        wrappedName(QFileInfo(recorder_.path()).fileName(), recordingLine_->fontMetrics(),
                    recordingLine_->width(), kNameLines);
    const double seconds = std::chrono::duration<double>(recorder_.elapsed()).count();
    recordingLine_->setText(QStringLiteral("REC %1\n%2").arg(elapsedClockText(seconds), name));
    recordingLine_->setToolTip(QDir::toNativeSeparators(recorder_.path()));
    recordingLine_->show();
    recordingLine_->raise();
}

void RecordingController::onSample(const Sample& sample) {
    const RecordingRow row = recordingRow(sample);
    std::vector<RecordingMarker> markers = recorder_.addRow(row);
    if (liveChart_ != nullptr && liveChart_->isVisible()) {
        // The model is known only once the panel has opened, which may be after the chart.
        liveChart_->chart()->setSpeedRedFrom(modelTraits(state_.modelName).speedRedFromRpm());
        // The live flags show the markers as numbered in the file; a note typed after F9 is in
        // the file. Without a recording no marker is kept, and none shows.
        RecordingRow shown = row;
        shown.markers = std::move(markers);
        liveChart_->chart()->appendLive(shown, row.seconds);
    }
    if (timeAtCell_ != nullptr && timeAtCellLive_) {
        timeAtCell_->appendLive(row);
    }
}

void RecordingController::showTimeAtCell() {
    if (playback_ == nullptr && !state_.panelActive) {
        return;
    }
    const bool live = playback_ == nullptr;
    if (timeAtCell_ != nullptr && live == timeAtCellLive_) {
        timeAtCell_->show();
        timeAtCell_->raise();
        return;
    }
    if (timeAtCell_ != nullptr) {
        timeAtCell_->close();
    }
    timeAtCell_ = new TimeAtCellWindow(qobject_cast<QWidget*>(parent()));
    timeAtCell_->setAttribute(Qt::WA_DeleteOnClose);
    timeAtCellLive_ = live;
    if (!live) {
        timeAtCell_->setWindowTitle(
            QStringLiteral("%1 - %2").arg(QString::fromLatin1(kTimeAtCellTitle), playbackName_));
        timeAtCell_->showRecording(playback_->recording());
    }
    connect(timeAtCell_, &TimeAtCellWindow::highlightsChanged, this,
            &RecordingController::highlightOnChart);
    timeAtCell_->show();
    timeAtCell_->raise();
}

void RecordingController::highlightOnChart(const std::vector<TimeWindow>& spans) {
    ChartWindow* chart = timeAtCellLive_ ? liveChart_.data() : playbackChart_.data();
    if (chart != nullptr) {
        chart->chart()->setHighlights(spans);
    }
}

void RecordingController::showChart() {
    if (playbackChart_ != nullptr) {
        playbackChart_->show();
        playbackChart_->raise();
        return;
    }
    if (liveChart_ == nullptr) {
        liveChart_ = new ChartWindow(qobject_cast<QWidget*>(parent()));
        liveChart_->setAttribute(Qt::WA_DeleteOnClose);
    }
    liveChart_->chart()->setSpeedRedFrom(modelTraits(state_.modelName).speedRedFromRpm());
    liveChart_->show();
    liveChart_->raise();
}

void RecordingController::openRecording() {
    if (state_.panelActive) {
        platform_.boxes.show(QStringLiteral("Close the real-time panel before you open a "
                                            "recording."),
                             BoxStyle::OkExclamation, kOpenTitle);
        return;
    }
    const QString path =
        platform_.chooseRecording ? platform_.chooseRecording(folder()) : QString();
    if (path.isEmpty()) {
        return;
    }
    RecordingColumnsContents contents = readRecordingColumns(path);
    if (!contents.ok()) {
        platform_.boxes.show(recordingProblemText(path, contents.errorLine, contents.error),
                             BoxStyle::OkExclamation, kOpenTitle);
        return;
    }
    endPlayback();
    if (liveChart_ != nullptr) {
        liveChart_->close();
    }
    if (timeAtCell_ != nullptr) {
        timeAtCell_->close();
    }
    const QString name = QFileInfo(path).fileName();
    // The panel and the chart as the live panel has them for the model the file was made with.
    const QString model = contents.model;
    const auto recording = std::make_shared<const RecordingColumns>(std::move(contents.columns));
    setUpGaugesFor(*panel_, model);
    playbackChart_ = new ChartWindow(qobject_cast<QWidget*>(parent()));
    playbackChart_->setAttribute(Qt::WA_DeleteOnClose);
    playbackChart_->setWindowTitle(
        QStringLiteral("%1 - %2").arg(QString::fromLatin1(kChartTitle), name));
    playbackChart_->chart()->setSpeedRedFrom(modelTraits(model).speedRedFromRpm());
    playbackChart_->chart()->showRecording(recording);
    playback_ = new PlaybackDriver(recording, *panel_, this);
    playbackChart_->attachPlayback(playback_);
    connect(playbackChart_, &ChartWindow::closed, this, &RecordingController::endPlayback);
    connect(playbackChart_, &ChartWindow::compareRequested, this,
            &RecordingController::compareRuns);
    playbackName_ = name;
    panel_->setCaption(QStringLiteral("Playback of %1").arg(name));
    panel_->setPanelVisible(true);
    updateMenuEntries();
    playbackChart_->show();
    playbackChart_->raise();
}

void RecordingController::compareRuns() {
    if (playback_ == nullptr || playbackChart_ == nullptr || !platform_.chooseComparison) {
        return;
    }
    const auto request = platform_.chooseComparison(folder(), playbackName_);
    if (!request) {
        return;
    }
    const RecordingColumns& first = *playback_->recording();
    const RunAlignmentChoice& choice = request->alignment;
    if (!alignmentPoint(first, choice, std::numeric_limits<double>::infinity())) {
        platform_.boxes.show(QStringLiteral("Nothing is compared: the first run, %1, %2.")
                                 .arg(playbackName_, missingAlignmentText(choice)),
                             BoxStyle::OkExclamation, kCompareBoxTitle);
        return;
    }
    std::vector<ChartOverlay> runs;
    for (const QString& path : request->paths) {
        if (runs.size() >= kMostComparedRuns) {
            break;
        }
        RecordingColumnsContents contents = readRecordingColumns(path);
        if (!contents.ok()) {
            platform_.boxes.show(
                QStringLiteral("%1 It is left out of the comparison; the other runs are shown.")
                    .arg(recordingProblemText(path, contents.errorLine, contents.error)),
                BoxStyle::OkExclamation, kCompareBoxTitle);
            continue;
        }
        const QString name = QFileInfo(path).fileName();
        const std::optional<double> offset = alignmentOffset(first, contents.columns, choice);
        if (!offset) {
            platform_.boxes.show(
                QStringLiteral("%1 is left out of the comparison: it %2.")
                    .arg(QDir::toNativeSeparators(path), missingAlignmentText(choice)),
                BoxStyle::OkExclamation, kCompareBoxTitle);
            continue;
        }
        runs.push_back(makeOverlay(std::move(contents.columns), *offset, name));
    }
    if (!runs.empty()) {
        playbackChart_->showComparison(playbackName_, std::move(runs), alignmentText(choice));
    }
}

void RecordingController::endPlayback() {
    if (playback_ == nullptr) {
        return;
    }
    playback_->pause();
    playback_->deleteLater();
    playback_ = nullptr;
    if (playbackChart_ != nullptr) {
        playbackChart_->attachPlayback(nullptr);
        if (playbackChart_->isVisible()) {
            playbackChart_->close();
        }
    }
    // The table marks its cells on the playback's chart, which has gone.
    if (timeAtCell_ != nullptr && !timeAtCellLive_) {
        timeAtCell_->close();
    }
    // Back to the idle window: the panel goes, the port was never opened.
    panel_->setCaption(QString());
    if (!state_.panelActive) {
        panel_->setPanelVisible(false);
    }
    updateMenuEntries();
}

void RecordingController::onPanelClosed() {
    // The panel closes when the user closes it or the link is lost: the recording ends with
    // it, and the user hears where it went once the panel is gone. During a playback closing
    // the panel is the way back to the idle window.
    if (recording()) {
        stopRecording(false);
        QTimer::singleShot(0, this,
                           [this, path = lastPath_, rows = lastRows_, dropped = lastDropped_] {
                               tellSaved(path, rows, dropped);
                           });
    }
    if (playback_ != nullptr) {
        QTimer::singleShot(0, this, &RecordingController::endPlayback);
    }
}

}  // namespace quillmark
