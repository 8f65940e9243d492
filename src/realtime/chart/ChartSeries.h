// The chart's data: one time column and one value column per lane, gaps as NaN, and the
// status and clock time of every row for the cursor.
#pragma once

#include "realtime/recording/RecordingRow.h"

#include <QString>

#include <array>
#include <vector>

namespace quillmark {

class ChartSeries {
public:
    void clear();
    // Rows arrive in time order; `seconds` is taken as the row's place on the time axis.
    void append(const RecordingRow& row, double seconds);
    // Drops every row before `seconds`; returns how many, by which every later row's index
    // moved down.
    std::size_t dropBefore(double seconds);

    std::size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    const std::vector<double>& times() const { return times_; }
    const std::vector<float>& lane(std::size_t index) const { return lanes_[index]; }
    const QString& status(std::size_t row) const { return status_[row]; }
    const QString& clock(std::size_t row) const { return clocks_[row]; }

private:
    std::vector<double> times_;
    std::array<std::vector<float>, kRecordedValues.size()> lanes_;
    std::vector<QString> status_;
    std::vector<QString> clocks_;
};

}  // namespace quillmark
