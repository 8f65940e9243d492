// The dashboard's options as the logger's command line gives them, and the server's setup
// they make: where to listen, the token, and the certificate for https.
#pragma once

#include "network/http/WebSetup.h"

#include <QString>

namespace quillmark {

struct WebOptions {
    QString listen;     // "[ADDR:]PORT"; empty: no dashboard
    QString tokenFile;  // empty: "http-token" in the logger's state folder
    QString tlsCert;
    QString tlsKey;
};

inline constexpr const char* kTokenFileName = "http-token";

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
    QString error;  // what form was expected; empty when it is one
};

// "8080" (on 127.0.0.1), "0.0.0.0:8080", "[::1]:8080".
ListenAddress parseListen(const QString& text);

struct PreparedWeb {
    WebSetup setup;
    bool tokenCreated = false;
    QString tokenPath;
    QString error;  // names the option; empty when the dashboard can start
};

// Reads or makes the token and reads the certificate and key.
PreparedWeb prepareWeb(const WebOptions& options, const QString& recordingsFolder,
                       const QString& stateFolder);

}  // namespace quillmark
