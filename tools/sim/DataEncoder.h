// Turns engine values into the raw data bytes the module sends for each command.
#pragma once

#include "sim/EngineProfile.h"
#include "sim/ModelIds.h"

#include <cstdint>
#include <vector>

namespace quillmark::sim {

namespace status_bit {
inline constexpr std::uint8_t kRunningA = 0x02;  // running needs both bits 1 and 2
inline constexpr std::uint8_t kRunningB = 0x04;
inline constexpr std::uint8_t kBasicMode = 0x10;
inline constexpr std::uint8_t kSwapMode = 0x20;
}  // namespace status_bit

class DataEncoder final {
public:
    // Each conversion rounds to the nearest count and clamps to what the byte can hold.
    static std::uint8_t batteryByte(double volts);
    static std::uint8_t speedByte(double rpm, Model model);
    static std::uint16_t injectorCount(double ms);
    static std::uint8_t fuelMultByte(double percent);
    static std::uint8_t retardByte(double retard);
    static std::uint8_t statusByte(const EngineReading& reading);

    // The data bytes (without the lead byte) for a data command; empty for other commands.
    static std::vector<std::uint8_t> encode(std::uint8_t cmd, const EngineReading& reading,
                                            Model model);
};

}  // namespace quillmark::sim
