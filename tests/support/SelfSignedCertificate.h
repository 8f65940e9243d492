// A certificate for 127.0.0.1 and its key, made with openssl, for the tests that serve or reach
// TLS on the loopback.
#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

namespace quillmark::test {

// Writes cert.pem and key.pem into `folder`; false when openssl could not make them.
inline bool makeSelfSignedCertificate(const QString& folder) {
    const QDir dir(folder);
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
         "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
         "-keyout", dir.filePath("key.pem"), "-out", dir.filePath("cert.pem")});
    return openssl.waitForFinished(20000) && openssl.exitCode() == 0;
}

}  // namespace quillmark::test
