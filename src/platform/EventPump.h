// Running pending window events in the middle of an operation (a yield).
#pragma once

#include <chrono>

namespace quillmark {

class EventPump {
public:
    virtual ~EventPump() = default;
    // One pass of the pending window events; returns at once when none are pending.
    virtual void yield() = 0;
    // Sleeps until an event arrives (a key, a click, serial input, a timer) or the timeout
    // passes, and runs the events that came. Never spins.
    virtual void waitForEvents(std::chrono::nanoseconds timeout) = 0;
};

}  // namespace quillmark
