// Which device stands behind port number N ("Com1" is 1).
#pragma once

#include <QString>

namespace quillmark {

class SettingsStore;

// The section of the program's settings that maps port names to devices.
inline constexpr char kPortsSection[] = "Ports";
inline constexpr int kHighestPortNumber = 255;

class PortNames final {
public:
    explicit PortNames(const SettingsStore& settings) : settings_(settings) {}

    // "Com7" for 7: the name the user knows the port by, and its key in the "Ports" section.
    static QString displayName(int portNumber) { return QStringLiteral("Com%1").arg(portNumber); }
    // "COM7" on Windows. On Linux the path stored for "Com7" in the section "Ports" of the
    // program's settings, else /dev/ttyS6, the kernel's numbering from zero. Throws RaisedError
    // for a number outside 1 to 255.
    QString device(int portNumber) const;

private:
    const SettingsStore& settings_;
};

}  // namespace quillmark
