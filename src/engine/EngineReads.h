// The nine engine-data reads: one transaction each, the command, answer length and conversion
// taken from one table.
#pragma once

#include "engine/Quantities.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillmark {

class ModuleLink;
class TickObserver;
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

class EngineReads {
public:
    // closeRealTimePanel is the panel's Close operation, used when the user gives up.
    EngineReads(ModuleLink& link, SharedState& state, std::function<void()> closeRealTimePanel);

    float ReadTPS() { return readValue(Quantity::Throttle); }
    float ReadBAT() { return readValue(Quantity::Battery); }
    float ReadRPM() { return readValue(Quantity::EngineSpeed); }
    float ReadINJ1() { return readValue(Quantity::Injector1); }
    float ReadINJ2() { return readValue(Quantity::Injector2); }
    float ReadFuelMult1() { return readValue(Quantity::FuelMultiplier1); }
    float ReadFuelMult2() { return readValue(Quantity::FuelMultiplier2); }
    float ReadRetard() { return readValue(Quantity::Retard); }
    // The status byte unchanged, 0 to 255.
    std::int16_t ReadStatus();

    // Told every read that completed, with its answer; null for none.
    void setObserver(TickObserver* observer) { observer_ = observer; }

    // One value read by its quantity, as the Read... procedures above do it.
    float readValue(Quantity quantity);

private:
    float read(const ReadCommand& entry);

    ModuleLink& link_;
    SharedState& state_;
    std::function<void()> closeRealTimePanel_;
    TickObserver* observer_ = nullptr;
};

}  // namespace quillmark
