// The clients of /api/live: one WebSocket each, with a queue of its own, so that a sample
// never waits for a client. A client that does not keep up loses its oldest samples (counted);
// one that stops answering pings or stays behind is closed.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>
#include <vector>

class QWebSocket;

namespace quillmark {

// Samples a client may have waiting: five seconds of back-to-back sampling.
inline constexpr std::size_t kLiveQueue = 200;
// Bytes handed to a client's socket and not yet sent, beyond which its samples wait in its queue.
inline constexpr qint64 kSocketBacklog = qint64(64) * 1024;
inline constexpr std::chrono::seconds kPingEvery{5};
// A client that answered no ping or lost samples all this time is closed.
inline constexpr std::chrono::seconds kStalledFor{15};

class LiveClients final : public QObject {
    Q_OBJECT
public:
    explicit LiveClients(QObject* parent = nullptr);
    ~LiveClients() override;

    // Takes a client; closes it instead when kMaxLiveClients are there already.
    bool add(std::unique_ptr<QWebSocket> socket);
    // One sample's message to every client.
    void publish(const QByteArray& message);

    int count() const { return int(clients_.size()); }
    // Samples lost by clients that did not keep up, all of them together.
    long dropped() const { return dropped_; }
    // Clients closed for not keeping up.
    long closedStalled() const { return closedStalled_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Client {
        QWebSocket* socket = nullptr;
        std::deque<QString> queue;
        Clock::time_point lastPong;
        Clock::time_point keptUpAt;  // the last time its queue had room
    };
    void send(Client& client);
    void check();
    void remove(QWebSocket* socket);

    std::vector<std::unique_ptr<Client>> clients_;
    QTimer pinger_;
    long dropped_ = 0;
    long closedStalled_ = 0;
};

}  // namespace quillmark
