// Which device stands behind port number N ("Com1" is 1).
#pragma once

#include <QString>

namespace quillmark {

class SettingsStore;

class PortNames final {
public:
    explicit PortNames(const SettingsStore& settings) : settings_(settings) {}

    // "Com7" for 7: the name the user knows the port by.
    static QString displayName(int portNumber);
    // "COM7" on Windows. On Linux the path stored for "Com7" in the section "Ports" of the
    // application "Quillmark", else /dev/ttyS6, the kernel's numbering from zero.
    QString device(int portNumber) const;

private:
    const SettingsStore& settings_;
};

}  // namespace quillmark
