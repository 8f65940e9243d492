// Which other programs have a serial device open. One that takes no lock file (a modem manager
// probing a USB adapter, a braille display driver, a terminal) reads the module's answers
// before the program can, and the line looks dead.
#pragma once

#include <QList>
#include <QString>

namespace quillmark {

struct DeviceHolder {
    qint64 pid = 0;
    QString program;

    bool operator==(const DeviceHolder&) const = default;
};

// The other processes that have `device` (or what a link such as /dev/serial/by-id/… leads
// to) open, as far as this user may look: the system shows the open files of another user's
// process only to root. Always empty on Windows, where nobody else can open an open port.
QList<DeviceHolder> otherHoldersOf(const QString& device);

// The same, from the process table under `procRoot`, leaving out `ownPid`.
QList<DeviceHolder> otherHoldersOf(const QString& device, const QString& procRoot, qint64 ownPid);

// "/dev/ttyUSB0 is also open in ModemManager (pid 812)"; empty without holders.
QString alsoOpenText(const QString& device, const QList<DeviceHolder>& holders);

}  // namespace quillmark
