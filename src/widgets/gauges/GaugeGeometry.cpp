// Value-to-position arithmetic of the gauges.
#include "widgets/gauges/GaugeGeometry.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {
// A scale of a million ticks is a configuration fault, not something worth drawing.
constexpr double kMaxTicks = 1000.0;
}  // namespace

double clampToSegment(const ScaleSegment& segment, double value) {
    if (std::isnan(value)) {
        return segment.low;
    }
    return std::clamp(value, segment.low, segment.high);
}

double segmentYFraction(const ScaleSegment& segment, double value) {
    const double span = segment.high - segment.low;
    if (!(span > 0.0) || !std::isfinite(span)) {
        return segment.bottom;
    }
    const double along = (clampToSegment(segment, value) - segment.low) / span;
    return segment.bottom - along * (segment.bottom - segment.top);
}

int clampSegmentIndex(int index, std::size_t segmentCount) {
    if (segmentCount == 0) {
        return 0;
    }
    return std::clamp(index, 0, static_cast<int>(segmentCount) - 1);
}

std::vector<double> tickValues(double from, double to, double step) {
    std::vector<double> ticks;
    if (!(step > 0.0) || !std::isfinite(from) || !std::isfinite(to) || to < from) {
        return ticks;
    }
    const double count = std::floor((to - from) / step + 1e-9);
    if (count > kMaxTicks) {
        return ticks;
    }
    for (int i = 0; i <= static_cast<int>(count); ++i) {
        ticks.push_back(from + i * step);
    }
    return ticks;
}

double dialAngleDegrees(double value, double scaleMax) {
    double fraction = 0.0;
    if (scaleMax > 0.0 && std::isfinite(scaleMax) && !std::isnan(value)) {
        fraction = std::clamp(value / scaleMax, 0.0, 1.0);
    }
    return kDialStartDegrees - fraction * kDialSweepDegrees;
}

}  // namespace quillmark
