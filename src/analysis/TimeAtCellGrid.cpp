#include "analysis/TimeAtCellGrid.h"

#include "recording/RecordingColumns.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr std::size_t kCellCount = std::size_t{kCellSpeedRows} * kCellThrottleColumns;

// The time sample `i` stands for, by the rule of TimeAtCellGrid.
double sampleSeconds(std::span<const double> times, std::size_t i, double sampling,
                     double longestGap) {
    if (i + 1 >= times.size()) {
        return sampling;
    }
    const double gap = times[i + 1] - times[i];
    return gap > longestGap ? sampling : gap;
}

}  // namespace

std::optional<CellPlace> cellOf(float speed, float throttle) {
    if (std::isnan(speed) || std::isnan(throttle)) {
        return std::nullopt;
    }
    const double row = std::floor(double(speed) / kCellSpeedStep);
    const double column = std::floor(double(throttle) / kCellThrottleStep);
    return CellPlace{static_cast<int>(std::clamp(row, 0.0, double(kCellSpeedRows - 1))),
                     static_cast<int>(std::clamp(column, 0.0, double(kCellThrottleColumns - 1)))};
}

QString speedRowCaption(int speedRow) {
    const int low = speedRow * static_cast<int>(kCellSpeedStep);
    return QStringLiteral("%1\u2013%2").arg(low).arg(low + static_cast<int>(kCellSpeedStep) - 1);
}

QString throttleColumnCaption(int throttleColumn) {
    const int low = throttleColumn * static_cast<int>(kCellThrottleStep);
    const int step = static_cast<int>(kCellThrottleStep);
    const int high = throttleColumn == kCellThrottleColumns - 1 ? low + step : low + step - 1;
    return QStringLiteral("%1\u2013%2 %").arg(low).arg(high);
}

TimeAtCellGrid::TimeAtCellGrid() : cells_(kCellCount) {}

TimeAtCellGrid::TimeAtCellGrid(const RecordingColumns& columns, Quantity averaged)
    : averaged_(averaged), cells_(kCellCount) {
    const std::span<const double> times = columns.times();
    const std::span<const float> speeds = columns.values(Quantity::EngineSpeed);
    const std::span<const float> throttles = columns.values(Quantity::Throttle);
    const std::span<const float> values = columns.values(averaged);
    sampling_ = samplingInterval(times);
    const double longestGap = longestJoinedGap(sampling_);
    int highestRow = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const auto place = cellOf(speeds[i], throttles[i]);
        if (!place) {
            continue;
        }
        CellTotals& totals = cells_[indexOf(*place)];
        const double seconds = sampleSeconds(times, i, sampling_, longestGap);
        totals.seconds += seconds;
        countedSeconds_ += seconds;
        ++totals.samples;
        if (!values.empty() && !std::isnan(values[i])) {
            ++totals.valued;
            totals.sum += values[i];
        }
        highestRow = std::max(highestRow, place->speedRow);
    }
    usedSpeedRows_ = highestRow + 1;
    for (const CellTotals& totals : cells_) {
        mostSeconds_ = std::max(mostSeconds_, totals.seconds);
    }
}

std::size_t TimeAtCellGrid::indexOf(const CellPlace& place) {
    return static_cast<std::size_t>(place.speedRow) * kCellThrottleColumns +
           static_cast<std::size_t>(place.throttleColumn);
}

const CellTotals& TimeAtCellGrid::cell(const CellPlace& place) const {
    return cells_[indexOf(place)];
}

std::vector<TimeWindow> TimeAtCellGrid::spansOf(const RecordingColumns& columns,
                                                const CellPlace& place) const {
    const std::span<const double> times = columns.times();
    const std::span<const float> speeds = columns.values(Quantity::EngineSpeed);
    const std::span<const float> throttles = columns.values(Quantity::Throttle);
    const double longestGap = longestJoinedGap(sampling_);
    std::vector<TimeWindow> spans;
    bool previousInCell = false;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const bool inCell = cellOf(speeds[i], throttles[i]) == place;
        if (inCell) {
            const double end = times[i] + sampleSeconds(times, i, sampling_, longestGap);
            // Across a gap the chart breaks its line at, the span breaks too.
            if (previousInCell && times[i] <= spans.back().end) {
                spans.back().end = end;
            } else {
                spans.push_back({times[i], end});
            }
        }
        previousInCell = inCell;
    }
    return spans;
}

}  // namespace quillmark
