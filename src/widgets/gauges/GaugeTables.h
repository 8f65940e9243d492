// Scale, band and placement tables of the real-time panel's gauges and labels.
#pragma once

#include "platform/Twips.h"
#include "widgets/gauges/GaugeGeometry.h"

#include <array>
#include <string_view>

namespace quillmark::gauge_tables {

inline constexpr QRgb kLabelYellow = qRgb(255, 255, 0);
inline constexpr QRgb kLabelLightYellow = qRgb(255, 255, 128);
inline constexpr QRgb kBandBlack = qRgb(0, 0, 0);
inline constexpr QRgb kBandRed = qRgb(255, 0, 0);

// {low, high, top, bottom, tick step, ticks from, ticks to}
inline constexpr std::array<ScaleSegment, 3> kTpsSegments{{
    {-0.5, 10.0, 0.64, 0.95, 2.5, 0.0, 10.0},
    {10.0, 20.0, 0.46, 0.64, 5.0, 10.0, 20.0},
    {20.0, 105.0, 0.09, 0.46, 20.0, 20.0, 105.0},
}};
inline constexpr std::array<ScaleBand, 1> kTpsBands{{{0, -0.5, 10.0, kBandBlack}}};

inline constexpr std::array<ScaleSegment, 2> kInjectorSegments{{
    {-0.5, 10.0, 0.30, 0.95, 1.0, 0.0, 10.0},
    {10.0, 27.0, 0.09, 0.30, 5.0, 10.0, 27.0},
}};
inline constexpr std::array<ScaleBand, 2> kInjectorBands{{
    {0, -0.5, 10.0, kBandBlack},
    {1, 10.0, 27.0, kBandBlack},
}};

inline constexpr std::array<ScaleSegment, 1> kFuelMultSegments{{
    {-22.0, 32.0, 0.09, 0.95, 5.0, -20.0, 30.0},
}};
inline constexpr std::array<ScaleBand, 3> kFuelMultBands{{
    {0, -22.0, -15.0, kBandRed},
    {0, -15.0, 25.0, kBandBlack},
    {0, 25.0, 32.0, kBandRed},
}};

inline constexpr std::array<ScaleSegment, 1> kBatterySegments{{
    {-1.0, 19.0, 0.09, 0.95, 2.0, 0.0, 18.0},
}};
inline constexpr std::array<ScaleBand, 3> kBatteryBands{{
    {0, -1.0, 11.0, kBandRed},
    {0, 11.0, 16.0, kBandBlack},
    {0, 16.0, 19.0, kBandRed},
}};

inline constexpr std::array<ScaleSegment, 1> kRetardSegments{{
    {-0.5, 10.5, 0.09, 0.95, 1.0, 0.0, 10.0},
}};
inline constexpr std::array<ScaleBand, 1> kRetardBands{{{0, -0.5, 10.5, kBandBlack}}};

inline constexpr BarGaugeDesign kTps{"TPS%", kLabelYellow, kTpsSegments, kTpsBands};
inline constexpr BarGaugeDesign kInjector{"INJ PW", kLabelYellow, kInjectorSegments,
                                          kInjectorBands};
inline constexpr BarGaugeDesign kFuelMult{"FUEL%", kLabelLightYellow, kFuelMultSegments,
                                          kFuelMultBands};
inline constexpr BarGaugeDesign kBattery{"BAT V", kLabelYellow, kBatterySegments, kBatteryBands};
inline constexpr BarGaugeDesign kRetard{"RETARD", kLabelYellow, kRetardSegments, kRetardBands};

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

// The design of the bar gauge with this control name; null for any other (the tachometer).
constexpr const BarGaugeDesign* barGaugeDesign(std::string_view controlName) {
    for (const BarGaugePlacement& gauge : kBarGauges) {
        if (controlName == gauge.place.name) {
            return gauge.design;
        }
    }
    return nullptr;
}

inline constexpr std::array<LabelPlacement, 4> kLabels{{
    {{"lblStatusFlagsLegend", 5760, 480, 1692, 252}, "STATUS"},
    {{"lblStatusFlags", 5760, 840, 1812, 972}, ""},
    {{"lblFrontCylLegend", 240, 4320, 1932, 252}, "FRONT CYLINDER"},
    {{"lblRearCylLegend", 2520, 4320, 1812, 252}, "REAR CYLINDER"},
}};

inline constexpr const char* kPanelCaption = "Ombrix Real Time Data";
inline constexpr const char* kCloseCaption = "Close";

}  // namespace quillmark::gauge_tables
