// Hands each finished sample to everyone who follows the module, in one place: a new consumer
// is one addConsumer line where the program is wired.
#pragma once

#include "engine/Sample.h"

#include <functional>
#include <vector>

namespace quillmark {

class SampleFanOut {
public:
    using Consumer = std::function<void(const Sample&)>;

    // Looks at each sample before the consumers and may mark it (the alarms): a marker asked
    // for from a check goes on the very sample that raised it.
    void addCheck(Consumer check) { checks_.push_back(std::move(check)); }
    // Told each sample with its markers, in the order the consumers were added.
    void addConsumer(Consumer consumer) { consumers_.push_back(std::move(consumer)); }

    // A marker on the next sample handed on; several may share one sample, none is dropped.
    void addMarker(MarkerKind kind, const QString& text);
    // The checks, then the markers asked for since the sample before and those of the checks,
    // in the order they were asked for, then every consumer.
    void publish(Sample sample);

private:
    std::vector<Consumer> checks_;
    std::vector<Consumer> consumers_;
    std::vector<Marker> pending_;
};

}  // namespace quillmark
