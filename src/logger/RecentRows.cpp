#include "logger/RecentRows.h"

#include <iterator>

namespace quillmark {

void RecentRows::add(const RecordingRow& row) {
    rows_.push_back(row);
    while (!rows_.empty() &&
           (rows_.size() > rowsLimit_ || row.seconds - rows_.front().seconds > span_)) {
        if (!written_ || rows_.front().seconds > *written_) {
            countLost(rows_.front());
        }
        rows_.pop_front();
    }
}

std::vector<RecordingRow> RecentRows::unwritten() const {
    // Usually only the newest row is unwritten: the search starts from the end.
    auto first = rows_.end();
    while (first != rows_.begin() && !(written_ && std::prev(first)->seconds <= *written_)) {
        --first;
    }
    return {first, rows_.end()};
}

void RecentRows::skipUnwritten() {
    if (!rows_.empty()) {
        written_ = rows_.back().seconds;
    }
}

void RecentRows::countLost(const RecordingRow& row) {
    if (lost_.rows == 0) {
        lost_.from = row.clock;
    }
    lost_.to = row.clock;
    ++lost_.rows;
}

LostRows RecentRows::takeLost() {
    LostRows taken = lost_;
    lost_ = {};
    return taken;
}

LostRows RecentRows::unwrittenAsLost() const {
    LostRows lost;
    for (const RecordingRow& row : unwritten()) {
        if (lost.rows == 0) {
            lost.from = row.clock;
        }
        lost.to = row.clock;
        ++lost.rows;
    }
    return lost;
}

}  // namespace quillmark
