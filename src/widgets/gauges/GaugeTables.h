// Placement tables of the real-time panel's gauges and labels; their scales are in
// engine/GaugeScales.h.
#pragma once

#include "engine/GaugeScales.h"
#include "platform/Twips.h"
#include "widgets/gauges/GaugeGeometry.h"

#include <array>
#include <optional>
#include <string_view>

namespace quillmark::gauge_tables {

// Positions inside the panel, in twips. The panel itself is placed in the main window's client
// area; it is a little larger than the area so that it covers it completely.
struct TwipsPlacement {
    const char* name = "";
    TwipsBox box;
};

struct BarGaugePlacement {
    TwipsPlacement place;
    const BarGaugeDesign* design = nullptr;
};

struct LabelPlacement {
    TwipsPlacement place;
    const char* caption = "";
};

inline constexpr TwipsPlacement kPanel{"fraRealTimeData", 0, 0, 7932, 8655};
inline constexpr TwipsPlacement kCloseButton{"cmdCloseRealTimeData", 5880, 2280, 1455, 495};
inline constexpr TwipsPlacement kTach{"gauTach", 1560, 240, 3972, 3732};

// Indexed by BarGaugeIndex in the panel.
inline constexpr std::array<BarGaugePlacement, 7> kBarGauges{{
    {{"gauTPS", 240, 240, 852, 3732}, &kTps},
    {{"gauInj1PW", 240, 4680, 852, 3732}, &kInjector},
    {{"gauFuelMult1", 1200, 4680, 852, 3732}, &kFuelMult},
    {{"gauInj2PW", 2520, 4680, 852, 3732}, &kInjector},
    {{"gauFuelMult2", 3480, 4680, 852, 3732}, &kFuelMult},
    {{"gauRetard", 5160, 4680, 852, 3732}, &kRetard},
    {{"gauBatVolts", 6120, 4680, 852, 3732}, &kBattery},
}};

// Where the bar gauge with this control name is in kBarGauges; none for any other (the
// tachometer). An index, not an address: a build that keeps null-pointer checks (the
// sanitizers) cannot compare a table's address with null at compile time.
constexpr std::optional<std::size_t> barGaugeIndex(std::string_view controlName) {
    for (std::size_t i = 0; i < kBarGauges.size(); ++i) {
        if (controlName == kBarGauges[i].place.name) {
            return i;
        }
    }
    return std::nullopt;
}

// The design of the bar gauge with this control name; null for any other (the tachometer).
constexpr const BarGaugeDesign* barGaugeDesign(std::string_view controlName) {
    const std::optional<std::size_t> index = barGaugeIndex(controlName);
    return index ? kBarGauges[*index].design : nullptr;
}

constexpr bool sameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The placements follow the scales' table, name for name.
constexpr bool placedAsDesigned() {
    for (std::size_t i = 0; i < kBarGauges.size(); ++i) {
        if (!sameName(kBarGauges[i].place.name, kBarGaugeDesigns[i].name) ||
            kBarGauges[i].design != kBarGaugeDesigns[i].design) {
            return false;
        }
    }
    return true;
}
static_assert(kBarGauges.size() == kBarGaugeDesigns.size() && placedAsDesigned());

inline constexpr std::array<LabelPlacement, 4> kLabels{{
    {{"lblStatusFlagsLegend", 5760, 480, 1692, 252}, "STATUS"},
    {{"lblStatusFlags", 5760, 840, 1812, 972}, ""},
    {{"lblFrontCylLegend", 240, 4320, 1932, 252}, "FRONT CYLINDER"},
    {{"lblRearCylLegend", 2520, 4320, 1812, 252}, "REAR CYLINDER"},
}};

inline constexpr const char* kPanelCaption = "Ombrix Real Time Data";
inline constexpr const char* kCloseCaption = "Close";

}  // namespace quillmark::gauge_tables
