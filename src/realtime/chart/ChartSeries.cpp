#include "realtime/chart/ChartSeries.h"

#include "realtime/recording/RecordingFormat.h"

#include <algorithm>
#include <limits>

namespace quillmark {

void ChartSeries::clear() {
    times_.clear();
    for (auto& lane : lanes_) {
        lane.clear();
    }
    status_.clear();
    clocks_.clear();
    markers_.clear();
}

void ChartSeries::append(const RecordingRow& row, double seconds) {
    times_.push_back(seconds);
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        lanes_[i].push_back(row.values[i].value_or(std::numeric_limits<float>::quiet_NaN()));
    }
    status_.push_back(row.status);
    clocks_.push_back(row.clock);
    if (row.marker) {
        markers_.push_back({times_.size() - 1, markerCellText(*row.marker)});
    }
}

std::optional<std::size_t> ChartSeries::nextMarker(std::optional<std::size_t> row) const {
    const auto found = std::find_if(markers_.begin(), markers_.end(),
                                    [&](const ChartMarker& m) { return !row || m.row > *row; });
    return found == markers_.end() ? std::nullopt : std::optional(found->row);
}

std::optional<std::size_t> ChartSeries::previousMarker(std::optional<std::size_t> row) const {
    const auto found = std::find_if(markers_.rbegin(), markers_.rend(),
                                    [&](const ChartMarker& m) { return !row || m.row < *row; });
    return found == markers_.rend() ? std::nullopt : std::optional(found->row);
}

std::size_t ChartSeries::dropBefore(double seconds) {
    const auto dropped = std::lower_bound(times_.begin(), times_.end(), seconds) - times_.begin();
    if (dropped == 0) {
        return 0;
    }
    times_.erase(times_.begin(), times_.begin() + dropped);
    for (auto& lane : lanes_) {
        lane.erase(lane.begin(), lane.begin() + dropped);
    }
    status_.erase(status_.begin(), status_.begin() + dropped);
    clocks_.erase(clocks_.begin(), clocks_.begin() + dropped);
    const auto gone = static_cast<std::size_t>(dropped);
    std::erase_if(markers_, [gone](const ChartMarker& marker) { return marker.row < gone; });
    for (ChartMarker& marker : markers_) {
        marker.row -= gone;
    }
    return static_cast<std::size_t>(dropped);
}

}  // namespace quillmark
