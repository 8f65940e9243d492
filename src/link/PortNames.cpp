// Port numbers to device names.
#include "link/PortNames.h"

#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/SettingsStore.h"

#include <QtGlobal>

namespace quillmark {

QString PortNames::device(int portNumber) const {
    if (portNumber < 1 || portNumber > kHighestPortNumber) {
        throw RaisedError::platform(
            QStringLiteral("Serial Port"),
            QStringLiteral("%1 is not a serial port number (1 to 255)").arg(portNumber));
    }
#ifdef Q_OS_WIN
    (void)settings_;
    return QStringLiteral("COM%1").arg(portNumber);
#else
    // USB adapters and test ptys have no fixed number; the user maps them by hand.
    QString stored = settings_
                         .get(QString::fromLatin1(kProgramName), QString::fromLatin1(kPortsSection),
                              displayName(portNumber), QString())
                         .trimmed();
    if (!stored.isEmpty()) {
        return stored;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

}  // namespace quillmark
