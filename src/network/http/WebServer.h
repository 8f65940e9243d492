// The dashboard's HTTP and WebSocket server: the page, its scripts, the state as JSON, the live
// samples, the recordings and their downloads, and markers asked for. Every request needs the
// access token. It lives on the dashboard's thread; nothing here waits for the polling.
#pragma once

#include "network/http/ChartIndexes.h"
#include "network/http/LiveClients.h"
#include "network/http/RecordingList.h"
#include "network/http/RequestLimits.h"
#include "network/http/WebSetup.h"

#include <QAbstractHttpServer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillmark {

class WebServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    using MarkerHandler = std::function<void(const QString&)>;

    // `marker` is called on this server's thread with the text a client sent.
    WebServer(WebSetup setup, MarkerHandler marker, QObject* parent = nullptr);
    ~WebServer() override;

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
    void sendChart(const QHttpServerRequest& request, QTcpSocket* socket, const QString& name);

    WebSetup setup_;
    MarkerHandler marker_;
    quint16 port_ = 0;
    RequestRate rate_;
    RecordingList recordings_;
    LiveClients live_;
    DashboardStatus status_;
    QByteArray lastLive_;
    ChartIndexes charts_;
    // Views are made here, beside the live samples and the index's background.
    QThread chartThread_;
    QObject chartSide_;  // moved to chartThread_
};

}  // namespace quillmark
