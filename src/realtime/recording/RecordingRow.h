// One row of a recording: what one polling tick put on the panel, and the answers it came from.
#pragma once

#include "realtime/EngineReads.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillmark {

// The value columns, in file order.
inline constexpr std::array<Quantity, 8> kRecordedValues{
    Quantity::EngineSpeed,     Quantity::Throttle, Quantity::FuelMultiplier1,
    Quantity::FuelMultiplier2, Quantity::Battery,  Quantity::Injector1,
    Quantity::Injector2,       Quantity::Retard,
};

// Index of a value column in kRecordedValues, or -1 for the status.
int recordedValueIndex(Quantity quantity);

struct RecordedAnswer {
    std::uint8_t command = 0;
    QByteArray bytes;  // the whole answer, lead byte included

    bool operator==(const RecordedAnswer&) const = default;
};

struct RecordingRow {
    double seconds = 0.0;  // since the recording started, monotonic
    QString clock;         // local date and time, ISO 8601 with milliseconds and offset
    std::optional<int> statusRaw;
    QString status;  // the status text, lines joined by " / "
    // Empty where the read failed, was ignored or is not made for the model.
    std::array<std::optional<float>, kRecordedValues.size()> values{};
    std::vector<RecordedAnswer> answers;

    std::optional<float> value(Quantity quantity) const;
    void setValue(Quantity quantity, float value);
    // The recorded answer to a command, empty when the tick has none.
    QByteArray answerTo(std::uint8_t command) const;
};

}  // namespace quillmark
