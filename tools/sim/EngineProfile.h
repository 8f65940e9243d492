// A repeating drive cycle that gives the engine values at any moment.
#pragma once

#include <array>
#include <chrono>

namespace quillmark::sim {

struct EngineReading {
    double rpm = 0.0;
    int throttleRaw = 0;  // the throttle sensor byte as the module reports it
    double batteryVolts = 0.0;
    double injectorFrontMs = 0.0;
    double injectorRearMs = 0.0;
    double fuelMultFrontPercent = 0.0;
    double fuelMultRearPercent = 0.0;
    double retard = 0.0;
    bool running = true;
};

// One corner of the cycle; values between corners move in straight lines.
struct ProfilePoint {
    double seconds = 0.0;
    double rpm = 0.0;
    double throttleRaw = 0.0;
    double injectorMs = 0.0;
    double fuelMultPercent = 0.0;
    double retard = 0.0;
};

// Idle, a blip to the limiter, a closed-throttle overrun, a long cruise, back to idle.
inline constexpr std::array kDriveCycle{
    ProfilePoint{0.0, 1100, 12, 2.4, 0.0, 0.0},     ProfilePoint{8.0, 1100, 12, 2.4, 0.0, 0.0},
    ProfilePoint{10.0, 2500, 90, 7.0, 6.0, 1.0},    ProfilePoint{13.0, 6500, 140, 10.5, 10.0, 4.5},
    ProfilePoint{15.0, 6500, 140, 10.5, 10.0, 4.5}, ProfilePoint{17.0, 3000, 20, 1.5, -8.0, 1.0},
    ProfilePoint{20.0, 3500, 60, 5.0, 2.0, 2.0},    ProfilePoint{45.0, 3500, 60, 5.0, 2.0, 2.0},
    ProfilePoint{50.0, 1100, 12, 2.4, 0.0, 0.0},    ProfilePoint{60.0, 1100, 12, 2.4, 0.0, 0.0},
};

inline constexpr double kCycleSeconds = kDriveCycle.back().seconds;

class EngineProfile final {
public:
    // The same time always gives the same reading; the cycle repeats every kCycleSeconds.
    static EngineReading at(std::chrono::microseconds sinceStart);
};

}  // namespace quillmark::sim
