// The polling cycle: every 500 ms while the real-time view runs, read the status and the
// engine values one after the other and put each on its gauge at once.
#pragma once

#include <QString>

#include "engine/EngineReads.h"
#include "engine/RealTimeView.h"
#include "engine/SampleFanOut.h"

#include <array>
#include <functional>
#include <optional>

namespace quillmark {

class EngineReads;
class ModuleLink;
class RealTimeView;
struct SharedState;

// The tachometer's read-out: whole RPM, halves away from zero, no grouping ("###0").
QString rpmReadout(float rpm);

// The scale segment a value puts the throttle and injector gauges on; playback sets the gauges
// the same way.
int throttleSegment(float percent);
int injectorSegment(float width);

// The values a pass reads after the status, in the order the module is asked, each with the
// gauge it goes on and, for a gauge of several scales, how its segment is chosen. The engine
// speed goes on the tachometer; the retard is read only for the models that report it.
struct PolledValue {
    Quantity quantity;
    BarGauge& (RealTimeView::*bar)() = nullptr;
    int (*segmentFor)(float) = nullptr;
};
inline constexpr std::array<PolledValue, 8> kPolledValues{{
    {Quantity::Throttle, &RealTimeView::gauTPS, throttleSegment},
    {Quantity::FuelMultiplier1, &RealTimeView::gauFuelMult1},
    {Quantity::FuelMultiplier2, &RealTimeView::gauFuelMult2},
    {Quantity::Battery, &RealTimeView::gauBatVolts},
    {Quantity::EngineSpeed},
    {Quantity::Injector1, &RealTimeView::gauInj1PW, injectorSegment},
    {Quantity::Injector2, &RealTimeView::gauInj2PW, injectorSegment},
    {Quantity::Retard, &RealTimeView::gauRetard},
}};

// Owns the sample: each tick whose status read completed makes one, with every value that was
// read in full, and hands it to the fan-out at the tick's end.
class PollingCycle {
public:
    PollingCycle(ModuleLink& link, SharedState& state, EngineReads& reads, RealTimeView& view,
                 std::function<void()> closeRealTimePanel);
    // Without gauges (the logger): the values go only into the samples.
    PollingCycle(ModuleLink& link, SharedState& state, EngineReads& reads,
                 std::function<void()> closeRealTimePanel);

    // Reads the status and every value once and shows them; a pass that falls due while the
    // link is busy is dropped and counted.
    void pollOnce();

    int ticksDropped() const { return ticksDropped_; }
    // Ticks that ran to their end, whatever they read.
    int ticksRun() const { return ticksRun_; }

    // Everyone who follows the module takes its samples here.
    SampleFanOut& samples() { return samples_; }

private:
    void tick();
    void show(const PolledValue& polled, float value);
    void take(Quantity quantity, const Reading& reading);

    ModuleLink& link_;
    SharedState& state_;
    EngineReads& reads_;
    RealTimeView* view_ = nullptr;
    std::function<void()> closeRealTimePanel_;
    int ticksDropped_ = 0;
    int ticksRun_ = 0;
    SampleFanOut samples_;
    std::optional<Sample> sample_;  // of the tick in progress, once its status was read
};

}  // namespace quillmark
