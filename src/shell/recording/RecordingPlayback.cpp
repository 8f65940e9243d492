#include "shell/recording/RecordingPlayback.h"

#include "analysis/RunAlignment.h"
#include "engine/ModelTraits.h"
#include "engine/RealTimeSession.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "recording/PlaybackDriver.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingReader.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/recording/RunComparison.h"
#include "widgets/chart/ChartWidget.h"
#include "widgets/chart/ChartWindow.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QFileInfo>

namespace quillmark {

namespace {
const QString kOpenTitle = QStringLiteral("Open Recording");
}  // namespace

RecordingPlayback::RecordingPlayback(MainWindowWidget& window, const SharedState& state,
                                     const RecordingPlatform& platform)
    : window_(window), state_(state), platform_(platform), panel_(window.realTimePanel()) {}

std::shared_ptr<const RecordingColumns> RecordingPlayback::recording() const {
    return driver_ != nullptr ? driver_->recording() : nullptr;
}

void RecordingPlayback::open() {
    if (state_.panelActive) {
        platform_.boxes.show(QStringLiteral("Close the real-time panel before you open a "
                                            "recording."),
                             BoxStyle::OkExclamation, kOpenTitle);
        return;
    }
    const QString path = platform_.chooseRecording
                             ? platform_.chooseRecording(recordingFolder(platform_.settings))
                             : QString();
    if (path.isEmpty()) {
        return;
    }
    RecordingColumnsContents contents = readRecordingColumns(path);
    if (!contents.ok()) {
        platform_.boxes.show(recordingProblemText(path, contents.errorLine, contents.error),
                             BoxStyle::OkExclamation, kOpenTitle);
        return;
    }
    end();
    name_ = QFileInfo(path).fileName();
    // The panel and the chart as the live panel has them for the model the file was made with.
    const QString model = contents.model;
    const auto recording = std::make_shared<const RecordingColumns>(std::move(contents.columns));
    setUpGaugesFor(*panel_, model);
    chart_ = new ChartWindow(&window_);
    chart_->setAttribute(Qt::WA_DeleteOnClose);
    chart_->setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromLatin1(kChartTitle), name_));
    chart_->chart()->setSpeedRedFrom(modelTraits(model).speedRedFromRpm());
    chart_->chart()->showRecording(recording);
    driver_ = new PlaybackDriver(recording, *panel_, this);
    chart_->attachPlayback(driver_);
    connect(chart_, &ChartWindow::closed, this, &RecordingPlayback::end);
    connect(chart_, &ChartWindow::compareRequested, this, &RecordingPlayback::compare);
    panel_->setCaption(QStringLiteral("Playback of %1").arg(name_));
    panel_->setPanelVisible(true);
    emit started();
    chart_->show();
    chart_->raise();
}

void RecordingPlayback::compare() {
    if (driver_ == nullptr || chart_ == nullptr || !platform_.chooseComparison) {
        return;
    }
    const auto request =
        platform_.chooseComparison(recordingFolder(platform_.settings), name_, lastComparison_);
    if (!request) {
        return;
    }
    // The box opens again with these files and this alignment.
    lastComparison_ = request;
    std::vector<ChartOverlay> runs =
        comparedRuns(*driver_->recording(), name_, *request, platform_.boxes);
    if (!runs.empty()) {
        chart_->showComparison(name_, std::move(runs), alignmentText(request->alignment));
    }
}

void RecordingPlayback::end() {
    if (driver_ == nullptr) {
        return;
    }
    driver_->pause();
    driver_->deleteLater();
    driver_ = nullptr;
    if (chart_ != nullptr) {
        chart_->attachPlayback(nullptr);
        if (chart_->isVisible()) {
            chart_->close();
        }
    }
    // Back to the idle window: the panel goes, the port was never opened.
    panel_->setCaption(QString());
    if (!state_.panelActive) {
        panel_->setPanelVisible(false);
    }
    emit ended();
}

}  // namespace quillmark
