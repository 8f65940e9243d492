// The dashboard's access token: kept in a file only its owner reads, presented by a client as
// a Bearer header, once as ?token= on the page's link, or in the cookie the page then keeps.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillmark {

// 128 random bits, written as 32 hexadecimal digits.
inline constexpr int kTokenBytes = 16;
// A token longer than this is not ours and is not compared at all.
inline constexpr qsizetype kMaxTokenLength = 256;
inline constexpr const char* kTokenCookie = "quillmark_token";

struct TokenFile {
    QByteArray token;
    bool created = false;
    QString error;  // empty when the token was read or made
};

// The first line of `path`, or a new token written there with mode 0600 when the file does not
// exist (its folder is made).
TokenFile readOrCreateToken(const QString& path);

// Equal in time that depends only on the presented token's length, never on where it differs.
bool sameToken(QByteArrayView presented, QByteArrayView expected);

// "Bearer TOKEN" (any case of the scheme); empty for any other form.
QByteArray bearerToken(QByteArrayView authorization);
// The token cookie's value in a Cookie header; empty when there is none.
QByteArray cookieToken(QByteArrayView cookieHeader);
// The Set-Cookie value that keeps `token` for the page: HttpOnly, SameSite=Strict, and Secure
// when served over TLS.
QByteArray tokenCookie(QByteArrayView token, bool secure);

}  // namespace quillmark
