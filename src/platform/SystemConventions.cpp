#include "platform/SystemConventions.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringDecoder>

namespace quillmark {

namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

QString systemPortDevice(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString decodeUserText(QByteArrayView bytes) {
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        bytes = bytes.sliced(3);
    }
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return QString::fromLatin1(bytes);
    }
    return text;
#endif
}

QString unattendedStateFolder() {
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#else
    // systemd may list several folders, separated by colons; StateDirectory= names one.
    QString service = qEnvironmentVariable("STATE_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    if (!service.isEmpty()) {
        return service;
    }
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base =
        state.isEmpty() ? QDir::home().filePath(QStringLiteral(".local/state")) : state;
    return QDir(base).filePath(QStringLiteral("quillmark"));
#endif
}

}  // namespace quillmark
