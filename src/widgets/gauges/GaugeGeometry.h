// Value-to-position arithmetic of the gauges, free of any widget so it can be checked alone.
#pragma once

#include <QRgb>
#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

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
    QRgb colour = 0;
};

struct BarGaugeDesign {
    const char* label = "";
    QRgb labelColour = 0;
    std::span<const ScaleSegment> segments;
    std::span<const ScaleBand> bands;
};

// Equal, or both NaN: a repeated reading, bad or not, moves nothing and repaints nothing.
inline bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Out-of-range values stick to the nearer end; NaN sits at the low end so that a bad reading
// reads as "nothing" rather than leaving a stale pointer.
double clampToSegment(const ScaleSegment& segment, double value);

// Fraction of the length from the top at which the value lies on the segment.
double segmentYFraction(const ScaleSegment& segment, double value);

int clampSegmentIndex(int index, std::size_t segmentCount);

// Tick values from tickFrom to tickTo; counted, not accumulated, so 0.1 steps do not drift.
std::vector<double> tickValues(double from, double to, double step);

// The dial sweeps 270 degrees clockwise from lower left (225 degrees, value 0) to lower
// right (-45 degrees, scaleMax); angles are mathematical, counter-clockwise from 3 o'clock.
inline constexpr double kDialStartDegrees = 225.0;
inline constexpr double kDialSweepDegrees = 270.0;

double dialAngleDegrees(double value, double scaleMax);

}  // namespace quillmark
