// When a file starts and ends: engine speed reaching the start value starts one, engine speed
// staying below the stop value for a while ends it.
#pragma once

#include <chrono>
#include <optional>

namespace quillmark {

struct TriggerSettings {
    double startRpm = 0.0;  // 0: the first sample starts a file
    double stopRpm = 0.0;   // 0: a file never ends on speed
    std::chrono::nanoseconds stopAfter{std::chrono::seconds(10)};
};

enum class TriggerChange {
    None,
    Start,  // this sample is the first of a new file; a file still open ends before it
    Stop,   // the file ended with the sample before this one
};

class EngineSpeedTrigger {
public:
    explicit EngineSpeedTrigger(TriggerSettings settings) : settings_(settings) {}

    // A sample at `time` (monotonic); no speed where its read failed, which neither starts a
    // file nor counts towards its end.
    TriggerChange feed(std::chrono::nanoseconds time, std::optional<float> rpm);
    // No sample since `since` up to `now` (the module is gone): that time counts as time below
    // the stop value. Stop when it ends the file.
    TriggerChange silence(std::chrono::nanoseconds since, std::chrono::nanoseconds now);
    // A file starts now whatever the speed (a marker asked for one); it ends as any other.
    void startNow();
    // Ends the current file; the next sample starts a new one if the trigger holds.
    void restart();

    bool recording() const { return recording_; }

private:
    TriggerSettings settings_;
    bool recording_ = false;
    std::optional<std::chrono::nanoseconds> belowSince_;
};

}  // namespace quillmark
