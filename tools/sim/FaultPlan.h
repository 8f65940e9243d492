// Which fault, if any, the module shows for each command it receives.
#pragma once

#include "sim/FaultMode.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace quillmark::sim {

class FaultPlan final {
public:
    void setFault(FaultMode mode) { global_ = mode; }
    void setFault(std::uint8_t command, FaultMode mode) { perCommand_[command] = mode; }
    void clearFaults();

    // The first `tries` commands of each kind (or of one kind) go unanswered, then the module
    // answers: what a module does that needs a moment to wake up, and what Retry is for.
    void setSilentTries(int tries) { silentTries_ = tries; }
    void setSilentTries(std::uint8_t command, int tries) { perCommandTries_[command] = tries; }

    // A module that dies mid-run: silent from this time on, or after this many commands.
    void stopAnsweringAfter(std::chrono::microseconds sinceStart) { stopAt_ = sinceStart; }
    void stopAnsweringAfterCommands(long count) { stopAfter_ = count; }

    // The fault configured for a command, ignoring tries and stop rules.
    FaultMode configured(std::uint8_t cmd) const;

    // Counts the command and decides how it is answered; Silent covers tries and stop rules.
    FaultMode decide(std::uint8_t cmd, std::chrono::microseconds sinceStart);

private:
    FaultMode global_ = FaultMode::None;
    std::array<std::optional<FaultMode>, 256> perCommand_{};
    int silentTries_ = 0;
    std::array<std::optional<int>, 256> perCommandTries_{};
    std::array<long, 256> received_{};
    long total_ = 0;
    std::optional<std::chrono::microseconds> stopAt_;
    std::optional<long> stopAfter_;
};

}  // namespace quillmark::sim
