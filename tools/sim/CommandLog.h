// A thread-safe record of every command the module received and when.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace quillmark::sim {

struct LogEntry {
    std::uint64_t sequence = 0;  // counts every command ever logged, from 0
    std::chrono::microseconds time{0};
    std::uint8_t command = 0;
};

class CommandLog final {
public:
    // Keeps the newest entries only, so a simulator left running for days stays small.
    explicit CommandLog(std::size_t capacity = 100'000) : capacity_(capacity) {}

    void append(std::chrono::microseconds time, std::uint8_t command);
    void clear();

    std::vector<LogEntry> entries() const;
    // Entries whose sequence is `first` or later: lets a reader pick up where it left off.
    std::vector<LogEntry> entriesFrom(std::uint64_t first) const;
    std::uint64_t total() const;

private:
    mutable std::mutex mutex_;
    std::size_t capacity_ = 0;
    std::deque<LogEntry> entries_;
    std::uint64_t next_ = 0;
};

}  // namespace quillmark::sim
