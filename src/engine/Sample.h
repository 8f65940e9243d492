// One sample of the module: what a polling tick read, produced once at the tick's end and
// handed to everyone who follows the module (recordings, logger, alarms, charts, network).
#pragma once

#include "engine/Quantities.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace quillmark {

// The user's markers (F9, a signal to the logger) are numbered 1, 2, 3 among themselves; an
// alarm's marker is numbered apart, A1, A2, A3, so "marker 3" is the same moment of a run
// whichever alarms it had.
enum class MarkerKind { User, Alarm };

// A point the user or an alarm asked to find again. Its number is given by the file that keeps
// it, 1, 2, 3... in each file and each kind; 0 until then.
struct Marker {
    int number = 0;
    QString text;  // one line, may be empty
    MarkerKind kind = MarkerKind::User;

    bool operator==(const Marker&) const = default;
};

// One answer of the module as it came, lead byte included.
struct ModuleAnswer {
    std::uint8_t command = 0;
    QByteArray bytes;

    bool operator==(const ModuleAnswer&) const = default;
};

struct Sample {
    double seconds = 0.0;     // on the monotonic clock, when the status answer came
    QDateTime clock;          // the local date and time then
    std::uint8_t status = 0;  // a sample is made only when the status was read
    QuantityValues values{};
    std::vector<ModuleAnswer> answers;  // every answer of the tick, in the order asked
    std::vector<Marker> markers;        // asked for since the sample before, then its alarms

    std::optional<float> value(Quantity quantity) const;
    void setValue(Quantity quantity, float value);
};

}  // namespace quillmark
