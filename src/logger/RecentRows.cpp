#include "logger/RecentRows.h"

namespace quillmark {

void RecentRows::add(const RecordingRow& row) {
    rows_.push_back(row);
    while (!rows_.empty() && row.seconds - rows_.front().seconds > span_) {
        rows_.pop_front();
    }
}

}  // namespace quillmark
