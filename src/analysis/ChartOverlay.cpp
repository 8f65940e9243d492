#include "analysis/ChartOverlay.h"

#include "analysis/ChartMapping.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quillmark {

ChartOverlay makeOverlay(RecordingColumns run, double offset, QString name) {
    ChartOverlay overlay;
    overlay.name = std::move(name);
    overlay.offset = offset;
    overlay.series = std::move(run);
    overlay.series.shiftTimes(offset);
    overlay.longestGap = longestJoinedGap(samplingInterval(overlay.series.times()));
    overlay.blocks = summariseLanes(overlay.series, overlay.longestGap);
    return overlay;
}

std::vector<ColumnExtent> thinOverlayLane(const ChartOverlay& overlay, std::size_t lane,
                                          const TimeWindow& window, double left, double width) {
    return thinToColumnsByBlocks(overlay.series.times(), overlay.series.lane(lane),
                                 overlay.blocks[lane], window, left, width, overlay.longestGap);
}

std::optional<std::size_t> overlayRowAt(const ChartOverlay& overlay, double seconds) {
    const auto& times = overlay.series.times();
    if (times.empty()) {
        return std::nullopt;
    }
    std::size_t row = sampleAtOrBefore(times, seconds);
    if (row + 1 < times.size() &&
        std::abs(times[row + 1] - seconds) < std::abs(times[row] - seconds)) {
        ++row;
    }
    if (std::abs(times[row] - seconds) > overlay.longestGap / 2.0) {
        return std::nullopt;
    }
    return row;
}

TimeWindow runsSpan(std::span<const double> times, const std::vector<ChartOverlay>& overlays) {
    std::optional<TimeWindow> span;
    auto take = [&span](std::span<const double> run) {
        if (run.empty()) {
            return;
        }
        span = span
                   ? TimeWindow{std::min(span->start, run.front()), std::max(span->end, run.back())}
                   : TimeWindow{run.front(), run.back()};
    };
    take(times);
    for (const ChartOverlay& overlay : overlays) {
        take(overlay.series.times());
    }
    return span.value_or(TimeWindow{0.0, 0.0});
}

QString differenceText(double difference, int decimals, const QString& unit) {
    const QString number = QString::number(std::abs(difference), 'f', decimals);
    // Rounded to what the readout shows: a difference too small to show is none.
    const bool none = number.toDouble() == 0.0;
    const QString sign = none ? QStringLiteral("\u00B1") : (difference > 0 ? "+" : "-");
    return QStringLiteral("%1%2 %3").arg(sign, number, unit);
}

}  // namespace quillmark
