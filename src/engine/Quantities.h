// The engine's quantities and, in one table, what every use of them needs to know: name, unit,
// the recording's column, decimals, the gauge that shows it and the machine key.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace quillmark {

enum class Quantity {
    Throttle,
    Battery,
    EngineSpeed,
    Injector1,
    Injector2,
    FuelMultiplier1,
    FuelMultiplier2,
    Retard,
    Status,  // stays last: the count below and the read table rely on it
};
inline constexpr std::size_t kQuantityCount = static_cast<std::size_t>(Quantity::Status) + 1;

struct QuantityFacts {
    Quantity quantity;
    const char* name;    // "Engine speed": the alarm line, its setting keys, chart and export
    const char* unit;    // "rpm"
    const char* column;  // the recording's column: the name, then the unit in brackets
    // As a value is shown to be read at a glance: the alarm line, a gauge's alarm caption, a
    // cell's mean in the time-at-cell table.
    int decimals;
    // Enough for the steps of the module's conversion: the chart's read-out and the export.
    int fineDecimals;
    const char* gauge;  // the panel's control that shows it
    const char* key;    // lower case and '_' only: the name with its unit, for JSON
};

// The engine values in the recording's column order, which every other list follows.
inline constexpr std::array<QuantityFacts, 8> kQuantities{{
    {Quantity::EngineSpeed, "Engine speed", "rpm", "Engine speed (rpm)", 0, 0, "gauTach",
     "engine_speed_rpm"},
    {Quantity::Throttle, "Throttle", "%", "Throttle (%)", 1, 1, "gauTPS", "throttle_pct"},
    {Quantity::FuelMultiplier1, "Fuel front", "%", "Fuel front (%)", 1, 2, "gauFuelMult1",
     "fuel_front_pct"},
    {Quantity::FuelMultiplier2, "Fuel rear", "%", "Fuel rear (%)", 1, 2, "gauFuelMult2",
     "fuel_rear_pct"},
    {Quantity::Battery, "Battery", "V", "Battery (V)", 1, 2, "gauBatVolts", "battery_v"},
    {Quantity::Injector1, "Injector front", "ms", "Injector front (ms)", 2, 3, "gauInj1PW",
     "injector_front_ms"},
    {Quantity::Injector2, "Injector rear", "ms", "Injector rear (ms)", 2, 3, "gauInj2PW",
     "injector_rear_ms"},
    {Quantity::Retard, "Retard", "deg", "Retard (deg)", 1, 4, "gauRetard", "retard_deg"},
}};

// The position of a quantity in kQuantities; none for the status.
constexpr std::optional<std::size_t> quantityIndex(Quantity quantity) {
    for (std::size_t i = 0; i < kQuantities.size(); ++i) {
        if (kQuantities[i].quantity == quantity) {
            return i;
        }
    }
    return std::nullopt;
}

// The facts of a value quantity (not the status).
constexpr const QuantityFacts& factsOf(Quantity quantity) {
    return kQuantities[quantityIndex(quantity).value()];
}

// The value of each quantity of kQuantities, at its index; none where the read failed, was
// ignored or is not made for the model.
using QuantityValues = std::array<std::optional<float>, kQuantities.size()>;

}  // namespace quillmark
