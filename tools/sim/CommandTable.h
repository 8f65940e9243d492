// The command bytes the module understands and the answer each one gets.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmark::sim {

namespace command {
inline constexpr std::uint8_t kFirmwareId = 0x10;
inline constexpr std::uint8_t kThrottle = 0x22;
inline constexpr std::uint8_t kBattery = 0x26;
inline constexpr std::uint8_t kSpeed = 0x27;
inline constexpr std::uint8_t kInjectorFront = 0x29;
inline constexpr std::uint8_t kInjectorRear = 0x2A;
inline constexpr std::uint8_t kFuelMultFront = 0x2B;
inline constexpr std::uint8_t kFuelMultRear = 0x2C;
inline constexpr std::uint8_t kRetard = 0x2D;
inline constexpr std::uint8_t kStatus = 0x2F;
inline constexpr std::uint8_t kResync = 0x33;
}  // namespace command

enum class AnswerKind {
    Acknowledge,  // lead byte, then 6
    Text,         // lead character, identifier text, then 13
    Data,         // lead byte, then dataBytes bytes of engine data
};

struct CommandInfo {
    std::uint8_t code = 0;
    std::string_view name;
    AnswerKind kind = AnswerKind::Data;
    int dataBytes = 0;  // data bytes after the lead byte (Data only)
};

inline constexpr std::array kCommands{
    CommandInfo{command::kFirmwareId, "firmware-id", AnswerKind::Text, 0},
    CommandInfo{command::kThrottle, "throttle", AnswerKind::Data, 1},
    CommandInfo{command::kBattery, "battery", AnswerKind::Data, 1},
    CommandInfo{command::kSpeed, "speed", AnswerKind::Data, 1},
    CommandInfo{command::kInjectorFront, "injector-front", AnswerKind::Data, 2},
    CommandInfo{command::kInjectorRear, "injector-rear", AnswerKind::Data, 2},
    CommandInfo{command::kFuelMultFront, "fuel-mult-front", AnswerKind::Data, 1},
    CommandInfo{command::kFuelMultRear, "fuel-mult-rear", AnswerKind::Data, 1},
    CommandInfo{command::kRetard, "retard", AnswerKind::Data, 1},
    CommandInfo{command::kStatus, "status", AnswerKind::Data, 1},
    CommandInfo{command::kResync, "resync", AnswerKind::Acknowledge, 0},
};

// Unknown command bytes get no answer at all, so they have no entry.
constexpr std::optional<CommandInfo> findCommand(std::uint8_t code) {
    for (const auto& info : kCommands) {
        if (info.code == code) {
            return info;
        }
    }
    return std::nullopt;
}

inline constexpr std::uint8_t kAcknowledge = 6;
inline constexpr std::uint8_t kCarriageReturn = 13;

}  // namespace quillmark::sim
