// Port numbers to device names.
#include "platform/PortNames.h"

#include "platform/SettingsStore.h"

#include <QtGlobal>

namespace quillmark {

QString PortNames::displayName(int portNumber) {
    return QStringLiteral("Com%1").arg(portNumber);
}

QString PortNames::device(int portNumber) const {
#ifdef Q_OS_WIN
    (void)settings_;
    return QStringLiteral("COM%1").arg(portNumber);
#else
    // USB adapters and test ptys have no fixed number; the user maps them by hand.
    QString stored = settings_
                         .get(QStringLiteral("Quillmark"), QStringLiteral("Ports"),
                              displayName(portNumber), QString())
                         .trimmed();
    if (!stored.isEmpty()) {
        return stored;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

}  // namespace quillmark
