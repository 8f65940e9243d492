#include "shell/recording/LiveChart.h"

#include "engine/ModelTraits.h"
#include "link/SharedState.h"
#include "widgets/chart/ChartWidget.h"
#include "widgets/chart/ChartWindow.h"

namespace quillmark {

void LiveChart::show() {
    if (chart_ == nullptr) {
        chart_ = new ChartWindow(&window_);
        chart_->setAttribute(Qt::WA_DeleteOnClose);
    }
    chart_->chart()->setSpeedRedFrom(modelTraits(state_.modelName).speedRedFromRpm());
    chart_->show();
    chart_->raise();
}

void LiveChart::close() {
    if (chart_ != nullptr) {
        chart_->close();
    }
}

void LiveChart::append(const RecordingRow& row, std::vector<RecordingMarker> markers) {
    if (chart_ == nullptr || !chart_->isVisible()) {
        return;
    }
    // The model is known only once the panel has opened, which may be after the chart.
    chart_->chart()->setSpeedRedFrom(modelTraits(state_.modelName).speedRedFromRpm());
    // The live flags show the markers as numbered in the file; a note typed after F9 is in the
    // file. Without a recording no marker is kept, and none shows.
    RecordingRow shown = row;
    shown.markers = std::move(markers);
    chart_->chart()->appendLive(shown, row.seconds);
}

}  // namespace quillmark
