// What the dashboard's server is started with, and what the logger tells it besides samples.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QString>

#include <optional>

namespace quillmark {

struct WebSetup {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;  // 0: any free port
    QByteArray token;
    QString recordingsFolder;
    std::optional<QSslConfiguration> tls;  // https and wss instead of http and ws
};

// What the logger tells about itself besides the samples.
struct DashboardStatus {
    QString state;        // "recording", "link lost"...
    bool linkUp = false;  // the module answers
    QString model;
    QString file;  // the current recording's path; empty without one
    long rows = 0;
    double samplesPerSecond = 0.0;
    QString alarm;  // the last alarm's line; empty before the first
};

}  // namespace quillmark
