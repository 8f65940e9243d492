#include "logger/PreTrigger.h"

#include <iterator>

namespace quillmark {

void PreTrigger::hold(const RecordingRow& row) {
    if (span_ <= 0.0 || rowsLimit_ == 0) {
        return;
    }
    rows_.push_back(row);
    while (rows_.size() > rowsLimit_ || row.seconds - rows_.front().seconds > span_) {
        rows_.pop_front();
    }
}

std::vector<RecordingRow> PreTrigger::take(double startSeconds) {
    auto first = rows_.begin();
    while (first != rows_.end() && startSeconds - first->seconds > span_) {
        ++first;
    }
    std::vector<RecordingRow> taken(std::make_move_iterator(first),
                                    std::make_move_iterator(rows_.end()));
    rows_.clear();
    return taken;
}

}  // namespace quillmark
