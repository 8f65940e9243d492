// A monotonic clock: deadlines and pauses never depend on the time of day.
#pragma once

#include <chrono>

namespace quillmark {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

}  // namespace quillmark
