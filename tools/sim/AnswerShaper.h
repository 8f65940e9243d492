// Builds the bytes of one answer, well-formed or bent by a fault.
#pragma once

#include "sim/Answer.h"
#include "sim/CommandTable.h"
#include "sim/FaultMode.h"

#include <QByteArray>

#include <cstdint>
#include <random>

namespace quillmark::sim {

class AnswerShaper final {
public:
    // The identifier text the module sends under a fault (the text itself when none).
    static QByteArray identifierText(FaultMode mode, const QByteArray& text);

    // payload: the data bytes for a data command, the identifier text for the firmware id.
    Answer shape(FaultMode mode, const CommandInfo& info, std::uint8_t lead,
                 const QByteArray& payload);

private:
    std::mt19937 random_{0x5157u};  // fixed seed: a failing garbage test can be replayed
};

}  // namespace quillmark::sim
