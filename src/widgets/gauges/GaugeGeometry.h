// Value-to-position arithmetic of the gauges, free of any widget so it can be checked alone.
#pragma once

#include "engine/GaugeScales.h"

#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

namespace quillmark {

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

double dialAngleDegrees(double value, double scaleMax);

}  // namespace quillmark
