#include "network/MqttTarget.h"

#include <QFile>
#include <QUrl>

namespace quillmark {

namespace {

// MQTT's own limit on a password is 65535 bytes; a longer first line is not a password file.
constexpr qint64 kLongestPasswordLine = 65535;

}  // namespace

QString MqttTarget::link() const {
    const QString host = this->host.contains(QLatin1Char(':'))
                             ? QStringLiteral("[%1]").arg(this->host)
                             : this->host;
    return QStringLiteral("%1://%2%3:%4/%5")
        .arg(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"),
             user.isEmpty() ? QString() : user + QLatin1Char('@'), host)
        .arg(port)
        .arg(prefix);
}

ParsedMqttTarget parseMqttTarget(const QString& link) {
    ParsedMqttTarget parsed;
    const auto wrong = [&parsed](const QString& what) {
        parsed.error = what;
        return parsed;
    };
    // QUrl's own error text quotes the whole link, which may hold a password: it is not passed on.
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return wrong(QStringLiteral("not a link of the form mqtt://[USER@]HOST[:PORT]/PREFIX"));
    }
    // QUrl forgets an empty password ("rider:@broker"); the colon still says one was meant.
    const QString authority = link.section(QStringLiteral("://"), 1).section(QLatin1Char('/'), 0, 0);
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (!url.password().isNull() || (at >= 0 && authority.left(at).contains(QLatin1Char(':')))) {
        return wrong(QStringLiteral(
            "a password does not go on the command line; give it with --mqtt-password-file"));
    }
    MqttTarget& target = parsed.target;
    if (url.scheme() == QLatin1String("mqtts")) {
        target.tls = true;
    } else if (url.scheme() != QLatin1String("mqtt")) {
        return wrong(QStringLiteral("the link starts with mqtt:// or mqtts://"));
    }
    target.host = url.host(QUrl::FullyDecoded);
    if (target.host.isEmpty()) {
        return wrong(QStringLiteral("the link names no broker (mqtt://HOST/PREFIX)"));
    }
    if (url.port() == 0) {
        return wrong(QStringLiteral("port 0 is no broker's port"));
    }
    target.port = url.port() > 0 ? quint16(url.port()) : target.tls ? kMqttTlsPort : kMqttPort;
    target.user = url.userName(QUrl::FullyDecoded);
    if (url.hasQuery() || url.hasFragment()) {
        return wrong(QStringLiteral("the link ends with its prefix (no ? or #)"));
    }
    QString prefix = url.path(QUrl::FullyDecoded);
    while (prefix.startsWith(QLatin1Char('/'))) {
        prefix.remove(0, 1);
    }
    while (prefix.endsWith(QLatin1Char('/'))) {
        prefix.chop(1);
    }
    if (prefix.isEmpty()) {
        return wrong(QStringLiteral("the link needs a topic prefix (mqtt://HOST/PREFIX)"));
    }
    // Wildcards are for subscribers; a topic a publisher names holds neither, nor a NUL.
    if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#')) ||
        prefix.contains(QChar(0))) {
        return wrong(QStringLiteral("the topic prefix may not hold + or #"));
    }
    target.prefix = prefix;
    return parsed;
}

MqttPasswordFile readMqttPasswordFile(const QString& path) {
    MqttPasswordFile read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return read;
    }
    // Room for the longest password, its line end and one byte more, which tells it is too long.
    QByteArray line = file.readLine(kLongestPasswordLine + 4);
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.size() > kLongestPasswordLine) {
        read.error = QStringLiteral("%1: the first line is longer than a password may be").arg(path);
        return read;
    }
    read.password = line;
    return read;
}

}  // namespace quillmark
