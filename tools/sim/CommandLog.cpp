// Bounded, locked command log.
#include "sim/CommandLog.h"

#include <algorithm>

namespace quillmark::sim {

void CommandLog::append(std::chrono::microseconds time, std::uint8_t command) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({next_++, time, command});
    while (entries_.size() > capacity_) {
        entries_.pop_front();
    }
}

void CommandLog::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

std::vector<LogEntry> CommandLog::entries() const {
    const std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::vector<LogEntry> CommandLog::entriesFrom(std::uint64_t first) const {
    const std::lock_guard lock(mutex_);
    const auto from = std::find_if(entries_.begin(), entries_.end(),
                                   [first](const LogEntry& e) { return e.sequence >= first; });
    return {from, entries_.end()};
}

std::uint64_t CommandLog::total() const {
    const std::lock_guard lock(mutex_);
    return next_;
}

}  // namespace quillmark::sim
