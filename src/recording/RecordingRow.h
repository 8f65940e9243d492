// One row of a recording: what one polling tick put on the panel, and the answers it came from.
#pragma once

#include "engine/EngineReads.h"
#include "engine/Sample.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillmark {

// The value columns, in file order: the quantity table's order.
inline constexpr std::array<Quantity, kQuantities.size()> kRecordedValues = [] {
    std::array<Quantity, kQuantities.size()> order{};
    for (std::size_t i = 0; i < kQuantities.size(); ++i) {
        order[i] = kQuantities[i].quantity;
    }
    return order;
}();

// Index of a value column in kRecordedValues, or -1 for the status.
int recordedValueIndex(Quantity quantity);

// An answer as the Answers column keeps it.
using RecordedAnswer = ModuleAnswer;

// A point in a recording the user or an alarm asked to find again: the user's numbered 1, 2,
// 3... in each file, an alarm's A1, A2, A3... apart from them.
using RecordingMarker = Marker;

// Longest marker text kept, in characters: a short note, and with its number within the
// 50 bytes the engine-log viewers give a marker.
inline constexpr qsizetype kMaxMarkerText = 40;

// The text as a marker keeps it: one line, no control characters, at most kMaxMarkerText; a
// '|', which parts the markers of one row in the file, becomes '/'.
QString markerText(const QString& typed);

struct RecordingRow {
    double seconds = 0.0;  // since the recording started, monotonic
    QString clock;         // local date and time, ISO 8601 with milliseconds and offset
    std::optional<int> statusRaw;
    QString status;  // the status text, lines joined by " / "
    // Empty where the read failed, was ignored or is not made for the model.
    QuantityValues values{};
    std::vector<RecordedAnswer> answers;
    std::vector<RecordingMarker> markers;  // in the order they were asked for

    std::optional<float> value(Quantity quantity) const;
    void setValue(Quantity quantity, float value);
    // The recorded answer to a command, empty when the tick has none.
    QByteArray answerTo(std::uint8_t command) const;
};

// The status text on one line, as the Status column holds it.
QString statusOnOneLine(int statusRaw);
// The local time as the Clock column holds it.
QString clockText(const QDateTime& localTime);
// A sample as a recording's row; its time stays on the monotonic clock, and whoever keeps the
// row makes it relative.
RecordingRow recordingRow(const Sample& sample);

}  // namespace quillmark
