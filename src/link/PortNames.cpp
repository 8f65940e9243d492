// Port numbers to device names.
#include "link/PortNames.h"

#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/SettingsStore.h"
#include "platform/SystemConventions.h"

namespace quillmark {

QString PortNames::device(int portNumber) const {
    if (portNumber < 1 || portNumber > kHighestPortNumber) {
        throw RaisedError::platform(
            QStringLiteral("Serial Port"),
            QStringLiteral("%1 is not a serial port number (1 to 255)").arg(portNumber));
    }
    if constexpr (kPortDevicesMappedByUser) {
        QString stored =
            settings_
                .get(QString::fromLatin1(kProgramName), QString::fromLatin1(kPortsSection),
                     displayName(portNumber), QString())
                .trimmed();
        if (!stored.isEmpty()) {
            return stored;
        }
    }
    return systemPortDevice(portNumber);
}

}  // namespace quillmark
