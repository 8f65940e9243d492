// The logger's side of the web dashboard: the server runs on a thread of its own, and what the
// logger hands it (samples, its state) is posted there without waiting. A marker a client asks
// for comes back on the thread that started the dashboard.
#pragma once

#include "network/http/WebSetup.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

namespace quillmark {

class WebServer;

class WebDashboard {
public:
    using MarkerHandler = std::function<void(const QString&)>;

    // Serving, or null with `error` saying why not.
    static std::unique_ptr<WebDashboard> start(WebSetup setup, MarkerHandler marker,
                                               QString& error);
    ~WebDashboard();
    WebDashboard(const WebDashboard&) = delete;
    WebDashboard& operator=(const WebDashboard&) = delete;

    // From the logger's thread; neither ever waits for the server.
    void publish(const QByteArray& liveMessage);
    void setStatus(const DashboardStatus& status);

    quint16 port() const { return port_; }
    // The page's link with its token, for an address a client can reach.
    QString link() const;

private:
    WebDashboard() = default;

    QThread thread_;
    QObject threadSide_;           // moved to thread_: where the server is made and deleted
    WebServer* server_ = nullptr;  // lives on thread_
    QObject callerSide_;           // on the starting thread: where markers are handed back
    QHostAddress address_;
    quint16 port_ = 0;
    bool tls_ = false;
    QByteArray token_;
};

// The address to put in the link for a server listening on `bound`: itself, or for any
// address the machine's first address another device could reach.
QHostAddress reachableAddress(const QHostAddress& bound);

}  // namespace quillmark
