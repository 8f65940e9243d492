#include "logger/EngineSpeedTrigger.h"

namespace quillmark {

TriggerChange EngineSpeedTrigger::feed(std::chrono::nanoseconds time, std::optional<float> rpm) {
    if (!recording_) {
        if (settings_.startRpm <= 0.0 || (rpm && *rpm >= settings_.startRpm)) {
            recording_ = true;
            belowSince_.reset();
            return TriggerChange::Start;
        }
        return TriggerChange::None;
    }
    if (!rpm) {
        return TriggerChange::None;
    }
    if (*rpm >= settings_.stopRpm) {
        belowSince_.reset();
        return TriggerChange::None;
    }
    if (!belowSince_) {
        belowSince_ = time;
    }
    if (time - *belowSince_ < settings_.stopAfter) {
        return TriggerChange::None;
    }
    restart();
    // The sample that ends the file may itself start the next one (a start value below the
    // stop value): it is decided as a fresh sample.
    return feed(time, rpm) == TriggerChange::Start ? TriggerChange::Start : TriggerChange::Stop;
}

TriggerChange EngineSpeedTrigger::silence(std::chrono::nanoseconds since,
                                          std::chrono::nanoseconds now) {
    if (!recording_ || settings_.stopRpm <= 0.0) {
        return TriggerChange::None;
    }
    if (!belowSince_) {
        belowSince_ = since;
    }
    if (now - *belowSince_ < settings_.stopAfter) {
        return TriggerChange::None;
    }
    restart();
    return TriggerChange::Stop;
}

void EngineSpeedTrigger::startNow() {
    recording_ = true;
    belowSince_.reset();
}

void EngineSpeedTrigger::restart() {
    recording_ = false;
    belowSince_.reset();
}

}  // namespace quillmark
