// View, Chart while no recording is played back: the chart that follows every tick of the
// real-time panel, with the model's red band once the model is known.
#pragma once

#include "recording/RecordingRow.h"
#include "widgets/chart/ChartWindow.h"

#include <QPointer>

#include <optional>

class QWidget;

namespace quillmark {

struct SharedState;

class LiveChart final {
public:
    LiveChart(QWidget& window, const SharedState& state) : window_(window), state_(state) {}

    // Opens the chart, or brings it to the front.
    void show();
    void close();
    // A tick's row, carrying the marker the recording put on it.
    void append(const RecordingRow& row, std::vector<RecordingMarker> markers);
    ChartWindow* window() const { return chart_; }

private:
    QWidget& window_;
    const SharedState& state_;
    QPointer<ChartWindow> chart_;
};

}  // namespace quillmark
