// A module link on scripted parts: fake time, a scripted port and scripted message boxes.
#pragma once

#include "FakeTime.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedSerialPort.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"

namespace quillmark::test {

// The usual module: every command answered after 300 us; 0x33 with (0, 6).
inline std::optional<ScriptedAnswer> answerWithAck(std::uint8_t command) {
    if (command == 0x33) {
        return ScriptedAnswer{QByteArray("\x00\x06", 2)};
    }
    return std::nullopt;
}

struct LinkHarness {
    FakeClock clock;
    FakeEventPump pump{clock};
    ScriptedSerialPort port{clock, pump};
    ScriptedMessageBoxes boxes;
    std::int16_t portNumber = 3;
    SharedState state;
    ModuleLink link{port, clock, pump, boxes, portNumber};

    // Commands written to the line, as numbers.
    QList<int> commands() const {
        QList<int> all;
        for (char byte : port.written) {
            all.append(static_cast<std::uint8_t>(byte));
        }
        return all;
    }
};

}  // namespace quillmark::test
