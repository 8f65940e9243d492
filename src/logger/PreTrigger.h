// The rows before a file starts: while no file records, the last stretch of rows is held, and
// the file that starts opens with them. Bounded in rows as well as in time, so a long stretch at
// back-to-back sampling cannot take the memory of a small board.
#pragma once

#include "recording/RecordingRow.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace quillmark {

// About 1.3 kB a held row: 24,000 rows are some 31 MB, ten minutes at back-to-back sampling.
inline constexpr std::size_t kPreTriggerRowsLimit = 24'000;
// The longest --pre-trigger taken, in seconds.
inline constexpr double kLongestPreTriggerSeconds = 600.0;

class PreTrigger {
public:
    explicit PreTrigger(double spanSeconds, std::size_t rowsLimit = kPreTriggerRowsLimit)
        : span_(spanSeconds), rowsLimit_(rowsLimit) {}

    // Rows come in time order; the oldest go once they are more than the span older than the
    // newest, or when the limit is reached.
    void hold(const RecordingRow& row);
    // The rows held within the span before `startSeconds` (the time of the row that starts the
    // file), oldest first; none are held afterwards.
    std::vector<RecordingRow> take(double startSeconds);
    // Rows held since the last take are given up (they went into a file some other way).
    void clear() { rows_.clear(); }
    std::size_t size() const { return rows_.size(); }

private:
    double span_;
    std::size_t rowsLimit_;
    std::deque<RecordingRow> rows_;
};

}  // namespace quillmark
