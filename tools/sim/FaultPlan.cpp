// Fault selection per command, with try counting and the stop rules.
#include "sim/FaultPlan.h"

namespace quillmark::sim {

void FaultPlan::clearFaults() {
    global_ = FaultMode::None;
    perCommand_.fill(std::nullopt);
    silentTries_ = 0;
    perCommandTries_.fill(std::nullopt);
    stopAt_.reset();
    stopAfter_.reset();
}

FaultMode FaultPlan::configured(std::uint8_t cmd) const {
    const FaultMode mode = perCommand_[cmd].value_or(global_);
    return faultApplies(mode, cmd) ? mode : FaultMode::None;
}

FaultMode FaultPlan::decide(std::uint8_t cmd, std::chrono::microseconds sinceStart) {
    const long kindCount = ++received_[cmd];
    ++total_;
    if (stopAt_ && sinceStart >= *stopAt_) {
        return FaultMode::Silent;
    }
    if (stopAfter_ && total_ > *stopAfter_) {
        return FaultMode::Silent;
    }
    if (kindCount <= perCommandTries_[cmd].value_or(silentTries_)) {
        return FaultMode::Silent;
    }
    return configured(cmd);
}

}  // namespace quillmark::sim
