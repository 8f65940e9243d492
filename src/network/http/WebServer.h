// The dashboard's HTTP and WebSocket server: the page, its scripts, the state as JSON, the live
// samples, the recordings and their downloads, and markers asked for. Every request needs the
// access token. It lives on the dashboard's thread; nothing here waits for the polling.
#pragma once

#include "network/http/LiveClients.h"
#include "network/http/RecordingList.h"
#include "network/http/RequestLimits.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QSslConfiguration>

#include <functional>
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

class WebServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    using MarkerHandler = std::function<void(const QString&)>;

    // `marker` is called on this server's thread with the text a client sent.
    WebServer(WebSetup setup, MarkerHandler marker, QObject* parent = nullptr);

    // Listens on the setup's address and port; empty, or why it cannot.
    QString start();
    quint16 port() const { return port_; }

    void publish(const QByteArray& liveMessage);
    void setStatus(const DashboardStatus& status) { status_ = status; }
    const LiveClients& liveClients() const { return live_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    bool allowed(const QHttpServerRequest& request) const;
    void takeLiveClients();
    QByteArray statusJson() const;
    QByteArray recordingsJson();
    void sendRecording(const QHttpServerRequest& request, QTcpSocket* socket, const QString& name);

    WebSetup setup_;
    MarkerHandler marker_;
    quint16 port_ = 0;
    RequestRate rate_;
    RecordingList recordings_;
    LiveClients live_;
    DashboardStatus status_;
    QByteArray lastLive_;
};

}  // namespace quillmark
