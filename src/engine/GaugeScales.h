// The scales of the real-time panel's gauges, display-free: each bar gauge's segments, ticks,
// coloured bands and label, and the dial's sweep and zone colours. The window's widgets draw
// them, and the logger's web page is handed the same tables.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace quillmark {

// One stretch of a bar gauge: a value range laid linearly on a part of the length, where
// top and bottom are fractions of the length counted from the top.
struct ScaleSegment {
    double low = 0.0;
    double high = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    double tickStep = 0.0;
    double tickFrom = 0.0;
    double tickTo = 0.0;
};

// A coloured strip beside the scale, its limits in the values of one segment.
struct ScaleBand {
    int segment = 0;
    double low = 0.0;
    double high = 0.0;
    std::uint32_t colour = 0;  // 0xAARRGGBB, as QRgb
};

struct BarGaugeDesign {
    const char* label = "";
    std::uint32_t labelColour = 0;
    std::span<const ScaleSegment> segments;
    std::span<const ScaleBand> bands;
};

// The dial sweeps 270 degrees clockwise from lower left (225 degrees, value 0) to lower
// right (-45 degrees, scaleMax); angles are mathematical, counter-clockwise from 3 o'clock.
inline constexpr double kDialStartDegrees = 225.0;
inline constexpr double kDialSweepDegrees = 270.0;
// Thousands of RPM between two marks of the dial.
inline constexpr double kDialScaleDivision = 1.0;
// The dial's zones: caution from the low mark, red from the high mark to the top.
inline constexpr std::uint32_t kDialCautionZone = 0xFFFFC800;
inline constexpr std::uint32_t kDialRedZone = 0xFFDC0000;

namespace gauge_tables {

inline constexpr std::uint32_t kLabelYellow = 0xFFFFFF00;
inline constexpr std::uint32_t kLabelLightYellow = 0xFFFFFF80;
inline constexpr std::uint32_t kBandBlack = 0xFF000000;
inline constexpr std::uint32_t kBandRed = 0xFFFF0000;

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

// The bar gauges by their control's name, in the panel's order.
struct NamedBarGauge {
    const char* name;
    const BarGaugeDesign* design;
};
inline constexpr std::array<NamedBarGauge, 7> kBarGaugeDesigns{{
    {"gauTPS", &kTps},
    {"gauInj1PW", &kInjector},
    {"gauFuelMult1", &kFuelMult},
    {"gauInj2PW", &kInjector},
    {"gauFuelMult2", &kFuelMult},
    {"gauRetard", &kRetard},
    {"gauBatVolts", &kBattery},
}};

}  // namespace gauge_tables

}  // namespace quillmark
