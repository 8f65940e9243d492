#include "network/http/LiveClients.h"

#include "network/http/RequestLimits.h"

#include <QWebSocket>

#include <algorithm>

namespace quillmark {

LiveClients::LiveClients(QObject* parent) : QObject(parent) {
    connect(&pinger_, &QTimer::timeout, this, &LiveClients::check);
    pinger_.start(kPingEvery);
}

LiveClients::~LiveClients() {
    for (const auto& client : clients_) {
        client->socket->disconnect(this);
        delete client->socket;
    }
}

bool LiveClients::add(std::unique_ptr<QWebSocket> socket) {
    if (count() >= kMaxLiveClients) {
        socket->close(QWebSocketProtocol::CloseCodeGoingAway,
                      QStringLiteral("too many live clients"));
        socket.release()->deleteLater();
        return false;
    }
    // A client sends nothing but pongs and a close: anything larger is not one of ours.
    socket->setMaxAllowedIncomingFrameSize(1024);
    socket->setMaxAllowedIncomingMessageSize(1024);
    auto client = std::make_unique<Client>();
    client->socket = socket.release();
    client->socket->setParent(this);
    client->lastPong = client->keptUpAt = Clock::now();
    Client* raw = client.get();
    connect(raw->socket, &QWebSocket::bytesWritten, this, [this, raw] { send(*raw); });
    connect(raw->socket, &QWebSocket::pong, this, [raw] { raw->lastPong = Clock::now(); });
    connect(raw->socket, &QWebSocket::disconnected, this,
            [this, socket = raw->socket] { remove(socket); });
    clients_.push_back(std::move(client));
    return true;
}

void LiveClients::publish(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    const auto now = Clock::now();
    for (const auto& client : clients_) {
        if (client->queue.size() >= kLiveQueue) {
            client->queue.pop_front();
            ++dropped_;
        } else {
            client->keptUpAt = now;
        }
        client->queue.push_back(text);
        send(*client);
    }
}

void LiveClients::send(Client& client) {
    while (!client.queue.empty() && client.socket->bytesToWrite() < kSocketBacklog) {
        client.socket->sendTextMessage(client.queue.front());
        client.queue.pop_front();
    }
}

void LiveClients::check() {
    const auto now = Clock::now();
    std::vector<QWebSocket*> stalled;
    for (const auto& client : clients_) {
        // Without samples (the link lost) a queue never fills, and a client is not behind.
        const bool behind =
            client->queue.size() >= kLiveQueue && now - client->keptUpAt > kStalledFor;
        if (now - client->lastPong > kStalledFor || behind) {
            stalled.push_back(client->socket);
        } else {
            client->socket->ping();
        }
    }
    for (QWebSocket* socket : stalled) {
        ++closedStalled_;
        // A client that reads nothing would not read a close either: the socket goes at once.
        socket->abort();
        remove(socket);
    }
}

void LiveClients::remove(QWebSocket* socket) {
    const auto found = std::find_if(clients_.begin(), clients_.end(),
                                    [socket](const auto& client) { return client->socket == socket; });
    if (found == clients_.end()) {
        return;
    }
    socket->disconnect(this);
    socket->deleteLater();
    clients_.erase(found);
}

}  // namespace quillmark
