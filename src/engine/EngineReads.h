// The nine engine-data reads: one transaction each, the command, answer length and conversion
// taken from one table.
#pragma once

#include "engine/Quantities.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillmark {

class ModuleLink;
struct SharedState;

struct ReadCommand {
    Quantity quantity;
    std::uint8_t command;
    int answerLength;  // including the first byte, which is read and not examined
};

const ReadCommand& readCommand(Quantity quantity);

// The value of an answer's data bytes, computed in double and rounded once to single precision.
// `low` is the data byte (the low byte of the injector count), `high` the injector count's
// high byte.
float convertReading(Quantity quantity, std::uint8_t low, std::uint8_t high,
                     const QString& modelName);

// What one read gave: the value the gauge shows (0 after a failed read the user ignored) and,
// when the answer came whole, that answer.
struct Reading {
    float value = 0.0f;
    QByteArray answer;  // lead byte included; empty when the read did not complete

    bool complete() const { return !answer.isEmpty(); }
};

class EngineReads {
public:
    // closeRealTimePanel is the panel's Close operation, used when the user gives up.
    EngineReads(ModuleLink& link, SharedState& state, std::function<void()> closeRealTimePanel);

    // One read by its quantity: ReadTPS, ReadBAT... and ReadStatus, whose value is the status
    // byte unchanged, 0 to 255.
    Reading read(Quantity quantity);

private:
    Reading transact(const ReadCommand& entry);

    ModuleLink& link_;
    SharedState& state_;
    std::function<void()> closeRealTimePanel_;
};

}  // namespace quillmark
