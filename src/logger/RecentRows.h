// The rows a file is to take, kept until they are written: when writing fails they wait here
// for a while (a full disk that frees up soon loses nothing), and a failed file's last rows can
// go again into the next. Rows that leave unwritten are counted as lost, with the span they
// covered.
#pragma once

#include "recording/RecordingRow.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

namespace quillmark {

// What a stretch of failed writing cost: rows that never reached a file and their clocks.
struct LostRows {
    long rows = 0;
    QString from;  // clock of the first, as the Clock column holds it
    QString to;    // and of the last

    bool any() const { return rows > 0; }
};

class RecentRows {
public:
    RecentRows(double spanSeconds, std::size_t rowsLimit)
        : span_(spanSeconds), rowsLimit_(rowsLimit) {}

    // Rows come in time order; those older than the span before the newest, or beyond the
    // limit, are dropped, and counted as lost when they were never written.
    void add(const RecordingRow& row);
    // The rows not written yet, oldest first.
    std::vector<RecordingRow> unwritten() const;
    // The time of the last row written; none before the first.
    std::optional<double> written() const { return written_; }
    // Rows up to `seconds` are in a file.
    void markWritten(double seconds) { written_ = seconds; }
    // After a failure: the rows after `lastInFile` are to be written again (all that are kept,
    // without one).
    void rewind(std::optional<double> lastInFile) { written_ = lastInFile; }
    // Rows kept and not written are given up without being counted (a new file is to start
    // with the next row).
    void skipUnwritten();
    // The rows lost since the last call; the count starts again.
    LostRows takeLost();
    // The rows not written yet, as a loss (when the logger ends while writing fails).
    LostRows unwrittenAsLost() const;

private:
    void countLost(const RecordingRow& row);

    double span_;
    std::size_t rowsLimit_;
    std::deque<RecordingRow> rows_;
    std::optional<double> written_;
    LostRows lost_;
};

}  // namespace quillmark
