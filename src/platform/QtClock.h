// The monotonic clock of the machine.
#pragma once

#include "platform/Clock.h"

namespace quillmark {

class QtClock final : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

}  // namespace quillmark
