// What one client may ask of the dashboard: connections open at once, live clients, the size of
// a request's header and body, and requests a second from one address.
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>

namespace quillmark {

inline constexpr int kMaxConnections = 32;
inline constexpr int kMaxLiveClients = 16;
// A request (head and body) larger than this is not read to its end.
inline constexpr qint64 kMaxRequestBytes = qint64(64) * 1024;
// A request must arrive whole within this time of its first bytes.
inline constexpr std::chrono::seconds kRequestDeadline{10};
inline constexpr qsizetype kMaxMarkerBody = 1024;
// Requests a second one address may make on average, and at once after a quiet spell: a page
// load is a handful, a chart being dragged a few a second.
inline constexpr double kRequestsPerSecond = 20.0;
inline constexpr double kRequestBurst = 60.0;
// Addresses remembered at most; a flood of new addresses forgets the quietest.
inline constexpr qsizetype kMaxRatedAddresses = 1024;

class RequestRate {
public:
    using Clock = std::chrono::steady_clock;
    // Whether a request from `from` at `now` is within the rate; counts it when it is.
    bool admit(const QHostAddress& from, Clock::time_point now);

private:
    struct Bucket {
        double tokens = kRequestBurst;
        Clock::time_point refilled;
    };
    QHash<QHostAddress, Bucket> buckets_;
};

// A client that sent too much is answered, then its further bytes are read and dropped until it
// has been quiet this long (at most kMostLinger), so that the close does not reset the
// connection before the client has read the answer.
inline constexpr std::chrono::milliseconds kQuietBeforeClose{200};
inline constexpr std::chrono::seconds kMostLinger{2};

// Watches a connection's requests as they arrive. One larger than kMaxRequestBytes is answered
// at once with 431 (its head too large) or 413 (its body), and the connection closed; one that
// is not whole within kRequestDeadline of its first bytes is dropped. `httpServer` reads the
// requests, and stops reading from a connection refused so.
void guardRequests(QTcpSocket* socket, QObject* httpServer);
// The request on `socket` arrived whole: the next one is counted from zero.
void requestDone(QTcpSocket* socket);

// A server that refuses connections beyond kMaxConnections at once: the extra one is closed
// before it is read from.
template <typename Server>
class LimitedServer final : public Server {
public:
    using Server::Server;
    int open() const { return open_; }

protected:
    void incomingConnection(qintptr descriptor) override {
        if (open_ >= kMaxConnections) {
            QTcpSocket refused;
            refused.setSocketDescriptor(descriptor);
            refused.abort();
            return;
        }
        Server::incomingConnection(descriptor);
        // The socket is counted from its arrival, through a TLS handshake that may fail, until
        // it is gone, whoever ends up owning it.
        const auto sockets = this->template findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly);
        for (QTcpSocket* socket : sockets) {
            if (socket->socketDescriptor() == descriptor) {
                ++open_;
                guardRequests(socket, this->parent());
                QObject::connect(socket, &QObject::destroyed, this, [this] { --open_; });
            }
        }
    }

private:
    int open_ = 0;
};

}  // namespace quillmark
