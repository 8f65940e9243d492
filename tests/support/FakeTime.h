// A clock that moves only when told, and an event pump that moves it: waits in tests take no
// real time, and events scheduled for a moment run when a yield or wait reaches it.
#pragma once

#include "platform/Clock.h"
#include "platform/EventPump.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace quillmark::test {

using namespace std::chrono_literals;

class FakeClock final : public Clock {
public:
    std::chrono::nanoseconds time{1h};
    std::chrono::nanoseconds now() const override { return time; }
    void advance(std::chrono::nanoseconds by) { time += by; }
};

class FakeEventPump final : public EventPump {
public:
    explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}

    int yields = 0;
    int waits = 0;
    // What one pass of the event loop costs in time; keeps yielding loops moving forward.
    std::chrono::nanoseconds yieldCost{20us};
    // When something outside (serial input) would wake a sleeping wait.
    std::function<std::optional<std::chrono::nanoseconds>()> nextWake;

    // Runs `event` on the first yield or wait at or after `at`.
    void schedule(std::chrono::nanoseconds at, std::function<void()> event) {
        events_.emplace(at, std::move(event));
    }
    // Runs `event` on the next yield or wait.
    void post(std::function<void()> event) { schedule(clock_.time, std::move(event)); }

    void yield() override {
        ++yields;
        clock_.advance(yieldCost);
        runDue();
    }
    void waitForEvents(std::chrono::nanoseconds timeout) override {
        ++waits;
        auto until = clock_.time + std::max(timeout, yieldCost);
        if (!events_.empty()) {
            until = std::min(until, std::max(events_.begin()->first, clock_.time));
        }
        if (nextWake) {
            if (const auto wake = nextWake()) {
                until = std::min(until, std::max(*wake, clock_.time + 1ns));
            }
        }
        clock_.time = std::max(until, clock_.time);
        runDue();
    }
    bool hasPending() const { return !events_.empty(); }

private:
    void runDue() {
        while (!events_.empty() && events_.begin()->first <= clock_.time) {
            auto event = std::move(events_.begin()->second);
            events_.erase(events_.begin());
            event();
        }
    }

    FakeClock& clock_;
    std::multimap<std::chrono::nanoseconds, std::function<void()>> events_;
};

}  // namespace quillmark::test
