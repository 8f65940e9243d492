// Interpolation along the drive cycle, with the small wobble a real engine shows.
#include "sim/EngineProfile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillmark::sim {

namespace {

double lerp(double a, double b, double f) {
    return a + (b - a) * f;
}

double wobble(double seconds, double period, double amplitude) {
    return amplitude * std::sin(2.0 * std::numbers::pi * seconds / period);
}

}  // namespace

EngineReading EngineProfile::at(std::chrono::microseconds sinceStart) {
    const double total = std::max(0.0, static_cast<double>(sinceStart.count()) / 1e6);
    const double t = std::fmod(total, kCycleSeconds);

    auto upper = std::upper_bound(kDriveCycle.begin(), kDriveCycle.end(), t,
                                  [](double v, const ProfilePoint& p) { return v < p.seconds; });
    if (upper == kDriveCycle.end()) {
        upper = std::prev(kDriveCycle.end());
    }
    const ProfilePoint& b = *upper;
    const ProfilePoint& a = *std::prev(upper);
    const double span = b.seconds - a.seconds;
    const double f = span > 0.0 ? std::clamp((t - a.seconds) / span, 0.0, 1.0) : 0.0;

    EngineReading r;
    r.rpm = lerp(a.rpm, b.rpm, f) + wobble(total, 1.3, 25.0);
    r.throttleRaw = static_cast<int>(std::lround(lerp(a.throttleRaw, b.throttleRaw, f)));
    const double injector = lerp(a.injectorMs, b.injectorMs, f);
    // The rear cylinder runs hotter and is usually tuned a touch richer.
    r.injectorFrontMs = injector + wobble(total, 2.1, 0.05);
    r.injectorRearMs = injector * 1.04 + wobble(total, 2.3, 0.05);
    const double fuel = lerp(a.fuelMultPercent, b.fuelMultPercent, f);
    r.fuelMultFrontPercent = fuel + wobble(total, 3.7, 1.0);
    r.fuelMultRearPercent = fuel + 1.5 + wobble(total, 4.1, 1.0);
    r.retard = lerp(a.retard, b.retard, f);
    // The charging system holds more voltage as the alternator speeds up.
    const double charge = std::clamp((r.rpm - 1000.0) / 3000.0, 0.0, 1.0);
    r.batteryVolts = 13.45 + 0.65 * charge + wobble(total, 7.0, 0.05);
    r.running = true;
    return r;
}

}  // namespace quillmark::sim
