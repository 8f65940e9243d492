#include "network/http/WebDashboard.h"

#include "network/http/WebServer.h"

#include <QNetworkInterface>
#include <QUrl>

namespace quillmark {

std::unique_ptr<WebDashboard> WebDashboard::start(WebSetup setup, MarkerHandler marker,
                                                  QString& error) {
    std::unique_ptr<WebDashboard> dashboard(new WebDashboard);
    WebDashboard* self = dashboard.get();
    dashboard->address_ = setup.address;
    dashboard->tls_ = setup.tls.has_value();
    dashboard->token_ = setup.token;
    auto handBack = [self, marker = std::move(marker)](const QString& text) {
        QMetaObject::invokeMethod(&self->callerSide_, [marker, text] { marker(text); },
                                  Qt::QueuedConnection);
    };
    dashboard->thread_.setObjectName(QStringLiteral("web dashboard"));
    dashboard->thread_.start();
    dashboard->threadSide_.moveToThread(&dashboard->thread_);
    // Made on its own thread, so that everything Qt makes inside it lives there too.
    QMetaObject::invokeMethod(
        &dashboard->threadSide_,
        [self, &setup, &handBack, &error] {
            self->server_ = new WebServer(std::move(setup), std::move(handBack));
            error = self->server_->start();
            self->port_ = self->server_->port();
        },
        Qt::BlockingQueuedConnection);
    if (!error.isEmpty()) {
        return nullptr;
    }
    return dashboard;
}

WebDashboard::~WebDashboard() {
    QMetaObject::invokeMethod(
        &threadSide_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void WebDashboard::publish(const QByteArray& liveMessage) {
    QMetaObject::invokeMethod(
        server_, [server = server_, liveMessage] { server->publish(liveMessage); },
        Qt::QueuedConnection);
}

void WebDashboard::setStatus(const DashboardStatus& status) {
    QMetaObject::invokeMethod(
        server_, [server = server_, status] { server->setStatus(status); },
        Qt::QueuedConnection);
}

QString WebDashboard::link() const {
    QUrl url;
    url.setScheme(tls_ ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(reachableAddress(address_).toString());
    url.setPort(port_);
    url.setPath(QStringLiteral("/"));
    url.setQuery(QStringLiteral("token=") + QString::fromLatin1(token_.toPercentEncoding()));
    return url.toString(QUrl::FullyEncoded);
}

QHostAddress reachableAddress(const QHostAddress& bound) {
    const bool any = bound == QHostAddress::Any || bound == QHostAddress::AnyIPv4 ||
                     bound == QHostAddress::AnyIPv6;
    if (!any) {
        return bound;
    }
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol) {
            return address;
        }
    }
    return QHostAddress(QHostAddress::LocalHost);
}

}  // namespace quillmark
