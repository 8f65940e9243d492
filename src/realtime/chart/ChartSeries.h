// The chart's data: one time column and one value column per lane, gaps as NaN, and the
// status and clock time of every row for the cursor.
#pragma once

#include "realtime/recording/RecordingRow.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quillmark {

// A marker as the chart shows it: the row it sits on and its flag's text.
struct ChartMarker {
    std::size_t row;
    QString label;  // "3 hill start"
};

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
    // In row order.
    const std::vector<ChartMarker>& markers() const { return markers_; }
    // The first marker after `row` (or before it), if any; with no row, the first (or last).
    std::optional<std::size_t> nextMarker(std::optional<std::size_t> row) const;
    std::optional<std::size_t> previousMarker(std::optional<std::size_t> row) const;

private:
    std::vector<double> times_;
    std::array<std::vector<float>, kRecordedValues.size()> lanes_;
    std::vector<QString> status_;
    std::vector<QString> clocks_;
    std::vector<ChartMarker> markers_;
};

}  // namespace quillmark
