// Which serial port the module is on: the stored choice, the port list and its handler, and
// the fixed line settings.
#pragma once

#include "platform/SerialPort.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace quillmark {

class MessageBoxes;
class PortSetupControls;
class SettingsStore;

inline constexpr int kPortListEntries = 255;

// "Com1" .. "Com255"
QString portListEntry(int portNumber);

// The stored "CommPort" text as a 16-bit port number: surrounding blanks allowed, a fraction
// rounds half to even. Throws RaisedError with a plain description for anything else.
std::int16_t storedPortNumber(const QString& stored);

class PortSelection {
public:
    PortSelection(PortSetupControls& controls, SettingsStore& settings, SerialPort& port,
                  MessageBoxes& boxes, const QString& applicationTitle);

    std::int16_t PortNumber = 0;

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
};

}  // namespace quillmark
