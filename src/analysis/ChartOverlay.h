// Runs laid over the chart's own recording to compare them: each on the first run's time axis,
// moved by its alignment offset, and what the cursor reads from it.
#pragma once

#include "analysis/ColumnBlocks.h"
#include "recording/RecordingColumns.h"

#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace quillmark {

// The chart compares its own recording with at most this many more.
inline constexpr std::size_t kMostComparedRuns = 3;

struct ChartOverlay {
    QString name;             // the file's name, for the legend
    double offset = 0.0;      // seconds added to the run's own times
    RecordingColumns series;  // the run's rows at their moved times
    double longestGap = 0.0;
    // Each lane in blocks, so that four runs of an hour at many rows a second thin in time.
    std::array<LaneBlocks, kRecordedValues.size()> blocks;
};

ChartOverlay makeOverlay(RecordingColumns run, double offset, QString name);

// A lane of the run thinned to the pixel columns of the plot, as thinToColumns does.
std::vector<ColumnExtent> thinOverlayLane(const ChartOverlay& overlay, std::size_t lane,
                                          const TimeWindow& window, double left, double width);

// The run's row nearest to `seconds` on the shared axis; none when the run has no row within
// `longestGap` of it (before its start, after its end, or in a stall).
std::optional<std::size_t> overlayRowAt(const ChartOverlay& overlay, double seconds);

// The time from the earliest start to the latest end of the chart's own run (`times`) and of
// every run laid over it, on the shared axis; 0 to 0 with no row at all.
TimeWindow runsSpan(std::span<const double> times, const std::vector<ChartOverlay>& overlays);

// A run's value against the first's, as the cursor shows it: "+12 rpm", "-0.25 V", "±0 %".
QString differenceText(double difference, int decimals, const QString& unit);

}  // namespace quillmark
