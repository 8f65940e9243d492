// The ways the module can misbehave, and their names on the command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmark::sim {

enum class FaultMode {
    None,
    Silent,       // no answer
    ShortAnswer,  // one byte fewer than the full answer
    SingleByte,   // only the first answer byte
    LateAnswer,   // the whole answer after kLateDelay
    WrongAck,     // resync answered 6, 0x15: byte 1 is not the acknowledge
    ExtraBytes,   // the answer plus two more bytes
    Doubled,      // the whole answer twice, as an echoing line would give it
    CrFirst,      // firmware id answered with a lone carriage return
    Garbage,      // random bytes of the answer's length
    IdLowerCase,  // identifier "corvane ii"
    IdNoSpace,    // identifier "Corvane IIVR"
    IdEmpty,      // lead character, then carriage return
    IdZeroByte,   // identifier with a zero byte ahead of the model name
    LateCr,       // identifier text in time, its carriage return after kLateDelay
};

struct FaultInfo {
    FaultMode mode = FaultMode::None;
    std::string_view name;
    bool firmwareIdOnly = false;  // shapes the identifier; other commands answer normally
    bool resyncOnly = false;
};

inline constexpr std::array kFaults{
    FaultInfo{FaultMode::None, "none"},
    FaultInfo{FaultMode::Silent, "silent"},
    FaultInfo{FaultMode::ShortAnswer, "short"},
    FaultInfo{FaultMode::SingleByte, "single-byte"},
    FaultInfo{FaultMode::LateAnswer, "late"},
    FaultInfo{FaultMode::WrongAck, "wrong-ack", false, true},
    FaultInfo{FaultMode::ExtraBytes, "extra-bytes"},
    FaultInfo{FaultMode::Doubled, "doubled"},
    FaultInfo{FaultMode::CrFirst, "cr-first", true},
    FaultInfo{FaultMode::Garbage, "garbage"},
    FaultInfo{FaultMode::IdLowerCase, "id-lower-case", true},
    FaultInfo{FaultMode::IdNoSpace, "id-no-space", true},
    FaultInfo{FaultMode::IdEmpty, "id-empty", true},
    FaultInfo{FaultMode::IdZeroByte, "id-zero-byte", true},
    FaultInfo{FaultMode::LateCr, "late-cr", true},
};

constexpr const FaultInfo& faultInfo(FaultMode mode) {
    for (const auto& info : kFaults) {
        if (info.mode == mode) {
            return info;
        }
    }
    return kFaults.front();
}

constexpr std::optional<FaultMode> parseFaultName(std::string_view name) {
    for (const auto& info : kFaults) {
        if (info.name == name) {
            return info.mode;
        }
    }
    return std::nullopt;
}

// Whether a fault changes the answer to this command at all.
bool faultApplies(FaultMode mode, std::uint8_t cmd);

}  // namespace quillmark::sim
