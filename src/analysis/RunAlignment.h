// Where runs laid over one another on the chart line up: at their starts, at the user's marker
// of the same number (never an alarm's), or where the engine speed first comes up through a given
// value. Each run gets the offset that moves its seconds onto the first run's time axis.
#pragma once

#include "recording/RecordingColumns.h"

#include <QString>

#include <optional>

namespace quillmark {

enum class AlignAt { Start, Marker, SpeedCrossing };

struct RunAlignmentChoice {
    AlignAt at = AlignAt::Start;
    int marker = 1;       // with AlignAt::Marker
    double rpm = 3000.0;  // with AlignAt::SpeedCrossing

    bool operator==(const RunAlignmentChoice&) const = default;
};

// The moment of `rows` (in their own seconds) that `choice` names, none when the run has no
// such moment. A crossing is where the engine speed goes from below `rpm` to `rpm` or above:
// a run that starts at or above it crosses only once it has been below. Between two
// neighbouring readings the moment is interpolated linearly, so that runs sampled at different
// times still line up to a fraction of a sample; across a failed read or a stall longer than
// `longestGap` seconds the first reading at or above counts as it is.
std::optional<double> alignmentPoint(const RecordingColumns& rows, const RunAlignmentChoice& choice,
                                     double longestGap);

// Seconds to add to each of `run`'s times to put it on the time axis of `first`; none when
// either lacks the moment. Each run's line breaks where the chart breaks it, after the longest
// gap its own sampling joins.
std::optional<double> alignmentOffset(const RecordingColumns& first, const RecordingColumns& run,
                                      const RunAlignmentChoice& choice);

// "at their starts", "at marker 3", "at the first crossing of 3000 rpm".
QString alignmentText(const RunAlignmentChoice& choice);
// What a run lacks for the choice: "has no marker 3", "never comes up to 3000 rpm".
QString missingAlignmentText(const RunAlignmentChoice& choice);

}  // namespace quillmark
