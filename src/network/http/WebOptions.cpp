#include "network/http/WebOptions.h"

#include "network/http/AccessToken.h"

#include <QDir>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace quillmark {

ListenAddress parseListen(const QString& text) {
    ListenAddress result;
    result.address = QHostAddress(QHostAddress::LocalHost);
    QString port = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        QString host = text.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
            host = host.mid(1, host.size() - 2);
        }
        if (!result.address.setAddress(host)) {
            result.error = QStringLiteral("[ADDR:]PORT with ADDR a numeric address");
            return result;
        }
        port = text.mid(colon + 1);
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535) {
        result.error = QStringLiteral("[ADDR:]PORT with PORT from 1 to 65535");
        return result;
    }
    result.port = quint16(number);
    return result;
}

PreparedWeb prepareWeb(const WebOptions& options, const QString& recordingsFolder,
                       const QString& stateFolder) {
    PreparedWeb prepared;
    const ListenAddress listen = parseListen(options.listen);
    if (!listen.error.isEmpty()) {
        prepared.error = QStringLiteral("--http %1: expected %2").arg(options.listen, listen.error);
        return prepared;
    }
    prepared.setup.address = listen.address;
    prepared.setup.port = listen.port;
    prepared.setup.recordingsFolder = recordingsFolder;
    prepared.tokenPath = options.tokenFile.isEmpty()
                             ? QDir(stateFolder).filePath(QString::fromLatin1(kTokenFileName))
                             : options.tokenFile;
    const TokenFile token = readOrCreateToken(prepared.tokenPath);
    if (!token.error.isEmpty()) {
        prepared.error = QStringLiteral("--token-file: %1").arg(token.error);
        return prepared;
    }
    prepared.setup.token = token.token;
    prepared.tokenCreated = token.created;
    if (options.tlsCert.isEmpty() && options.tlsKey.isEmpty()) {
        return prepared;
    }
    if (options.tlsCert.isEmpty() || options.tlsKey.isEmpty()) {
        prepared.error = QStringLiteral("--tls-cert and --tls-key: give both or neither");
        return prepared;
    }
    const QList<QSslCertificate> chain =
        QSslCertificate::fromPath(options.tlsCert, QSsl::Pem);
    if (chain.isEmpty()) {
        prepared.error =
            QStringLiteral("--tls-cert %1: no PEM certificate could be read").arg(options.tlsCert);
        return prepared;
    }
    QFile keyFile(options.tlsKey);
    if (!keyFile.open(QIODevice::ReadOnly)) {
        prepared.error =
            QStringLiteral("--tls-key %1: %2").arg(options.tlsKey, keyFile.errorString());
        return prepared;
    }
    const QByteArray keyBytes = keyFile.readAll();
    QSslKey key(keyBytes, QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        key = QSslKey(keyBytes, QSsl::Rsa, QSsl::Pem);
    }
    if (key.isNull()) {
        prepared.error = QStringLiteral("--tls-key %1: no PEM RSA or EC private key could be read")
                             .arg(options.tlsKey);
        return prepared;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    prepared.setup.tls = tls;
    return prepared;
}

}  // namespace quillmark
