#include "network/http/AccessToken.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <array>

namespace quillmark {

namespace {

QByteArray newToken() {
    std::array<quint32, kTokenBytes / sizeof(quint32)> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.data()), kTokenBytes).toHex();
}

// What a header, a cookie and a link carry as they are.
bool isTokenText(QByteArrayView token) {
    if (token.isEmpty() || token.size() > kMaxTokenLength) {
        return false;
    }
    for (const char c : token) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || QByteArrayView("-._~+/=").contains(c);
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

}  // namespace

TokenFile readOrCreateToken(const QString& path) {
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            return {{}, false, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
        }
        const QByteArray token = file.readLine(kMaxTokenLength + 2).trimmed();
        if (!isTokenText(token)) {
            return {{}, false,
                    QStringLiteral("%1 holds no token on its first line (letters, digits and "
                                   "-._~+/= only)")
                        .arg(path)};
        }
        return {token, false, {}};
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Made with its mode at once: there is no moment in which another user could read it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return {{}, false, QStringLiteral("cannot make %1: %2").arg(path, file.errorString())};
    }
    const QByteArray token = newToken();
    if (file.write(token + '\n') != token.size() + 1 || !file.flush()) {
        const QString error = file.errorString();
        file.remove();
        return {{}, false, QStringLiteral("cannot write %1: %2").arg(path, error)};
    }
    return {token, true, {}};
}

bool sameToken(QByteArrayView presented, QByteArrayView expected) {
    if (expected.isEmpty() || presented.size() > kMaxTokenLength) {
        return false;
    }
    // Every byte of the presented token is looked at whatever the expected one holds.
    unsigned difference = presented.size() == expected.size() ? 0U : 1U;
    for (qsizetype i = 0; i < presented.size(); ++i) {
        const auto wanted = static_cast<unsigned char>(expected[i % expected.size()]);
        difference |= static_cast<unsigned>(static_cast<unsigned char>(presented[i]) ^ wanted);
    }
    return difference == 0;
}

QByteArray bearerToken(QByteArrayView authorization) {
    const QByteArrayView text = trimmed(authorization);
    constexpr QByteArrayView kScheme("bearer ");
    if (text.size() <= kScheme.size() ||
        text.first(kScheme.size()).compare(kScheme, Qt::CaseInsensitive) != 0) {
        return {};
    }
    return trimmed(text.sliced(kScheme.size())).toByteArray();
}

QByteArray cookieToken(QByteArrayView cookieHeader) {
    const QByteArrayView name(kTokenCookie);
    qsizetype from = 0;
    while (from <= cookieHeader.size()) {
        qsizetype end = cookieHeader.indexOf(';', from);
        if (end < 0) {
            end = cookieHeader.size();
        }
        const QByteArrayView pair = trimmed(cookieHeader.sliced(from, end - from));
        if (pair.size() > name.size() && pair.startsWith(name) && pair[name.size()] == '=') {
            return trimmed(pair.sliced(name.size() + 1)).toByteArray();
        }
        from = end + 1;
    }
    return {};
}

QByteArray tokenCookie(QByteArrayView token, bool secure) {
    QByteArray cookie = QByteArray(kTokenCookie) + '=' + token.toByteArray() +
                        "; Path=/; HttpOnly; SameSite=Strict";
    if (secure) {
        cookie += "; Secure";
    }
    return cookie;
}

}  // namespace quillmark
