// Each recorded value's machine key, unit and decimals, in the file's column order, for the
// JSON a web page or a subscriber reads, and the panel's gauge that shows it.
#pragma once

#include "recording/RecordingRow.h"

#include <array>

namespace quillmark {

struct LiveKey {
    const char* key;    // lower case and '_' only: the name with its unit
    const char* name;   // as the recording's column names it
    const char* unit;
    int decimals;       // enough for the steps of the module's conversion
    const char* gauge;  // the panel's control that shows it
};

inline constexpr std::array<LiveKey, kRecordedValues.size()> kLiveKeys{{
    {"engine_speed_rpm", "Engine speed", "rpm", 0, "gauTach"},
    {"throttle_pct", "Throttle", "%", 1, "gauTPS"},
    {"fuel_front_pct", "Fuel front", "%", 2, "gauFuelMult1"},
    {"fuel_rear_pct", "Fuel rear", "%", 2, "gauFuelMult2"},
    {"battery_v", "Battery", "V", 2, "gauBatVolts"},
    {"injector_front_ms", "Injector front", "ms", 3, "gauInj1PW"},
    {"injector_rear_ms", "Injector rear", "ms", 3, "gauInj2PW"},
    {"retard_deg", "Retard", "deg", 4, "gauRetard"},
}};

}  // namespace quillmark
