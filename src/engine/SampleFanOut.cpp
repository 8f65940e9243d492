#include "engine/SampleFanOut.h"

#include <iterator>

namespace quillmark {

void SampleFanOut::addMarker(MarkerKind kind, const QString& text) {
    pending_.push_back({0, text, kind});
}

void SampleFanOut::publish(Sample sample) {
    for (const Consumer& check : checks_) {
        check(sample);
    }
    // Asked for while the checks ran or before the tick: on this sample, in that order.
    sample.markers.insert(sample.markers.end(), std::make_move_iterator(pending_.begin()),
                          std::make_move_iterator(pending_.end()));
    pending_.clear();
    for (const Consumer& consumer : consumers_) {
        consumer(sample);
    }
}

}  // namespace quillmark
