#include "engine/ThrottleCurve.h"

#include <array>

namespace quillmark {

namespace {

// percent = (raw - rawBase) * rise / run + percentBase, for raw in first..last. The difference
// and the product are exact integers; the division and the base are taken in double.
struct CurveSegment {
    int first;
    int last;
    int rawBase;
    int rise;
    int run;
    double percentBase;
};

constexpr std::array<CurveSegment, 6> kCurve = {{
    {0, 48, 0, 10, 48, 0.0},
    {49, 64, 48, 10, 16, 10.0},
    {65, 80, 64, 20, 16, 20.0},
    {81, 96, 80, 20, 16, 40.0},
    {97, 112, 96, 20, 16, 60.0},
    {113, 126, 112, 20, 16, 80.0},
}};

// The top begins one count early: raw 126 gives 97.5 and raw 127 gives 100, not 98.75.
constexpr double kFullThrottle = 100.0;

}  // namespace

double LinearizeTPSPercent(std::uint8_t raw) {
    for (const auto& segment : kCurve) {
        if (raw >= segment.first && raw <= segment.last) {
            const int product = (raw - segment.rawBase) * segment.rise;
            return product / static_cast<double>(segment.run) + segment.percentBase;
        }
    }
    return kFullThrottle;
}

}  // namespace quillmark
