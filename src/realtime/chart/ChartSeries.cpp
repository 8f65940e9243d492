#include "realtime/chart/ChartSeries.h"

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
}

void ChartSeries::append(const RecordingRow& row, double seconds) {
    times_.push_back(seconds);
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        lanes_[i].push_back(row.values[i].value_or(std::numeric_limits<float>::quiet_NaN()));
    }
    status_.push_back(row.status);
    clocks_.push_back(row.clock);
}

void ChartSeries::dropBefore(double seconds) {
    const auto keep = std::lower_bound(times_.begin(), times_.end(), seconds) - times_.begin();
    if (keep == 0) {
        return;
    }
    times_.erase(times_.begin(), times_.begin() + keep);
    for (auto& lane : lanes_) {
        lane.erase(lane.begin(), lane.begin() + keep);
    }
    status_.erase(status_.begin(), status_.begin() + keep);
    clocks_.erase(clocks_.begin(), clocks_.begin() + keep);
}

}  // namespace quillmark
