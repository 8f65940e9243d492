// Engine values to raw module bytes.
#include "sim/DataEncoder.h"

#include "sim/CommandTable.h"

#include <algorithm>
#include <cmath>

namespace quillmark::sim {

namespace {

long countOf(double value, long max) {
    return std::clamp(std::lround(value), 0L, max);
}

std::uint8_t byteOf(double value) {
    return static_cast<std::uint8_t>(countOf(value, 255));
}

}  // namespace

std::uint8_t DataEncoder::batteryByte(double volts) {
    return byteOf(volts * 255.0 / 18.0);
}

std::uint8_t DataEncoder::speedByte(double rpm, Model model) {
    return byteOf(rpm / modelInfo(model).rpmPerCount);
}

std::uint16_t DataEncoder::injectorCount(double ms) {
    return static_cast<std::uint16_t>(countOf(ms * 250.0, 65535));
}

std::uint8_t DataEncoder::fuelMultByte(double percent) {
    return byteOf(128.0 + percent * 128.0 / 100.0);
}

std::uint8_t DataEncoder::retardByte(double retard) {
    return byteOf(retard * 16.0);
}

std::uint8_t DataEncoder::statusByte(const EngineReading& reading) {
    return reading.running ? status_bit::kRunningA | status_bit::kRunningB : 0;
}

std::vector<std::uint8_t> DataEncoder::encode(std::uint8_t cmd, const EngineReading& reading,
                                              Model model) {
    const auto little = [](std::uint16_t count) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(count & 0xFF),
                                         static_cast<std::uint8_t>(count >> 8)};
    };
    switch (cmd) {
        case command::kThrottle:
            return {static_cast<std::uint8_t>(std::clamp(reading.throttleRaw, 0, 255))};
        case command::kBattery:
            return {batteryByte(reading.batteryVolts)};
        case command::kSpeed:
            return {speedByte(reading.rpm, model)};
        case command::kInjectorFront:
            return little(injectorCount(reading.injectorFrontMs));
        case command::kInjectorRear:
            return little(injectorCount(reading.injectorRearMs));
        case command::kFuelMultFront:
            return {fuelMultByte(reading.fuelMultFrontPercent)};
        case command::kFuelMultRear:
            return {fuelMultByte(reading.fuelMultRearPercent)};
        case command::kRetard:
            return {retardByte(reading.retard)};
        case command::kStatus:
            return {statusByte(reading)};
        default:
            return {};
    }
}

}  // namespace quillmark::sim
