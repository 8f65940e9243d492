// Which serial port the module is on: the stored choice, the port list and its handler, and
// the fixed line settings.
#pragma once

#include "link/PortNames.h"
#include "platform/SerialPort.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace quillmark {

class MessageBoxes;
class PortSetupControls;
class SettingsStore;

inline constexpr int kPortListEntries = kHighestPortNumber;

// "Com1" .. "Com255"
QString portListEntry(int portNumber);

// The module's line: 56000 baud 8N1, an event and a read for every byte, DTR raised, RTS low.
LineSettings moduleLineSettings();

// The stored "CommPort" text as a 16-bit port number: surrounding blanks allowed, a fraction
// rounds half to even. Throws RaisedError with a plain description for anything else.
std::int16_t storedPortNumber(const QString& stored);

class PortSelection {
public:
    PortSelection(PortSetupControls& controls, SettingsStore& settings, SerialPort& port,
                  MessageBoxes& boxes, const QString& applicationTitle);

    std::int16_t PortNumber = 0;

    // The devices behind the port numbers, from the settings.
    const PortNames& names() const { return names_; }

    // The load-time steps, each a step of the main window's load.
    void loadStoredPort();
    void fillPortList();
    void selectStoredPort();
    void applyLineSettings();
    // After the load: names the settings lines a user's hand edit left unreadable, so that a
    // port mapping that was not understood does not go unnoticed.
    void reportUnreadableSettings();

    void cboPort_Click();
    void mnuPortSetup_Click();
    void cmdPortSelectOK_Click();

private:
    PortSetupControls& controls_;
    SettingsStore& settings_;
    SerialPort& port_;
    MessageBoxes& boxes_;
    const QString& applicationTitle_;
    PortNames names_;
};

}  // namespace quillmark
