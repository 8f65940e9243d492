// The rows of the last stretch of time: the pre-trigger rows a new file opens with, and the rows
// a full disk kept from being written, until writing works again.
#pragma once

#include "recording/RecordingRow.h"

#include <deque>

namespace quillmark {

class RecentRows {
public:
    explicit RecentRows(double spanSeconds) : span_(spanSeconds) {}

    // Rows come in time order; those older than the span before the newest are dropped.
    void add(const RecordingRow& row);
    const std::deque<RecordingRow>& rows() const { return rows_; }

private:
    double span_;
    std::deque<RecordingRow> rows_;
};

}  // namespace quillmark
