// A module link on scripted parts: fake time, a scripted port and scripted message boxes.
#pragma once

#include "FakeTime.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedSerialPort.h"
#include "link/ModuleLink.h"
#include "link/PortNames.h"
#include "link/SharedState.h"

#include <map>
#include <set>

namespace quillmark::test {

// The usual module: every command answered after 300 us; 0x33 with (0, 6).
inline std::optional<ScriptedAnswer> answerWithAck(std::uint8_t command) {
    if (command == 0x33) {
        return ScriptedAnswer{QByteArray("\x00\x06", 2)};
    }
    return std::nullopt;
}

// A module that answers from tables: the acknowledge, an identifier and data bytes per
// command; commands in `silent` get no answer.
struct TableModule {
    QByteArray identifier = "Corvane II VR 2.1";
    std::map<std::uint8_t, QByteArray> data = {
        {0x2F, QByteArray("\x16", 1)},     {0x22, QByteArray("\x40", 1)},
        {0x2B, QByteArray("\x40", 1)},     {0x2C, QByteArray("\xC0", 1)},
        {0x26, QByteArray("\xAA", 1)},     {0x27, QByteArray("\xC8", 1)},
        {0x29, QByteArray("\xC4\x09", 2)}, {0x2A, QByteArray("\xFA\x00", 2)},
        {0x2D, QByteArray("\x10", 1)}};
    std::set<std::uint8_t> silent;
    bool allSilent = false;
    std::chrono::nanoseconds delay{300us};

    std::optional<ScriptedAnswer> operator()(std::uint8_t command) const {
        if (allSilent || silent.count(command) != 0) {
            return std::nullopt;
        }
        if (command == 0x33) {
            return ScriptedAnswer{QByteArray("\x00\x06", 2), delay};
        }
        if (command == 0x10) {
            return ScriptedAnswer{QByteArray("#") + identifier + '\r', delay};
        }
        const auto it = data.find(command);
        if (it == data.end()) {
            return std::nullopt;
        }
        return ScriptedAnswer{QByteArray(1, '\x5A') + it->second, delay};
    }
};

struct LinkHarness {
    FakeClock clock;
    FakeEventPump pump{clock};
    ScriptedSerialPort port{clock, pump};
    ScriptedMessageBoxes boxes;
    MemorySettingsStore settings;
    PortNames names{settings};
    std::int16_t portNumber = 3;
    SharedState state;
    ModuleLink link{port, clock, pump, boxes, names, portNumber};

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
