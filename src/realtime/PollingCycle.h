// The polling cycle: every 500 ms while the real-time view runs, read the status and the
// engine values one after the other and put each on its gauge at once.
#pragma once

#include <QString>

#include <functional>

namespace quillmark {

class EngineReads;
class ModuleLink;
class RealTimeView;
struct SharedState;

// The tachometer's read-out: whole RPM, halves away from zero, no grouping ("###0").
QString rpmReadout(float rpm);

class PollingCycle {
public:
    PollingCycle(ModuleLink& link, SharedState& state, EngineReads& reads, RealTimeView& view,
                 std::function<void()> closeRealTimePanel);

    void tmrDataRead_Timer();

    int ticksDropped() const { return ticksDropped_; }

private:
    void tick();

    ModuleLink& link_;
    SharedState& state_;
    EngineReads& reads_;
    RealTimeView& view_;
    std::function<void()> closeRealTimePanel_;
    int ticksDropped_ = 0;
};

}  // namespace quillmark
