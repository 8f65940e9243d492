#include "network/http/RequestLimits.h"

#include <QTimer>

#include <algorithm>

namespace quillmark {

namespace {

// The deadline and the size of the request arriving on one connection.
class RequestGuard final : public QObject {
public:
    RequestGuard(QTcpSocket* socket, QObject* httpServer)
        : QObject(socket), socket_(socket), httpServer_(httpServer) {
        setObjectName(QStringLiteral("requestGuard"));
        // The server reads a request inside a transaction that holds all of it until it is
        // whole; with the buffer bounded, a larger request stops being read, and is refused
        // here instead of filling memory.
        socket->setReadBufferSize(kMaxRequestBytes);
        deadline_.setSingleShot(true);
        // A socket handed on to the live clients has no transaction and no deadline.
        connect(&deadline_, &QTimer::timeout, this, [socket] {
            if (socket->isTransactionStarted()) {
                socket->abort();
            }
        });
        connect(socket, &QIODevice::readyRead, this, [this] {
            if (!deadline_.isActive()) {
                deadline_.start(kRequestDeadline);
            }
            // Looked at once the server has read what came.
            QMetaObject::invokeMethod(this, &RequestGuard::checkSize, Qt::QueuedConnection);
        });
    }
    void requestDone() { deadline_.stop(); }

private:
    void checkSize() {
        if (refused_ || !socket_->isTransactionStarted()) {
            return;  // whole, or handed on
        }
        // The transaction holds the request so far; what the server has read of it is read
        // again, so that it finds the connection as it left it.
        socket_->rollbackTransaction();
        const qint64 held = socket_->bytesAvailable();
        const QByteArray request = held >= kMaxRequestBytes ? socket_->peek(held) : QByteArray();
        socket_->startTransaction();
        socket_->skip(held);
        if (held >= kMaxRequestBytes) {
            refuse(request.contains("\r\n\r\n"));
        }
    }

    void refuse(bool headWhole) {
        refused_ = true;
        deadline_.stop();
        QObject::disconnect(socket_, &QIODevice::readyRead, httpServer_, nullptr);
        socket_->rollbackTransaction();
        socket_->setReadBufferSize(0);
        socket_->readAll();
        const QByteArray body = headWhole ? "Request too large\n" : "Request header too large\n";
        socket_->write((headWhole ? "HTTP/1.1 413 Payload Too Large\r\n"
                                  : "HTTP/1.1 431 Request Header Fields Too Large\r\n") +
                       QByteArray("Content-Type: text/plain; charset=utf-8\r\n"
                                  "Connection: close\r\nContent-Length: ") +
                       QByteArray::number(body.size()) + "\r\n\r\n" + body);
        quiet_.setSingleShot(true);
        connect(&quiet_, &QTimer::timeout, socket_, &QAbstractSocket::disconnectFromHost);
        connect(socket_, &QIODevice::readyRead, this, [this] {
            socket_->readAll();
            quiet_.start(kQuietBeforeClose);
        });
        quiet_.start(kQuietBeforeClose);
        QTimer::singleShot(kMostLinger, socket_, &QAbstractSocket::abort);
    }

    QTcpSocket* socket_;
    QObject* httpServer_;
    QTimer deadline_;
    QTimer quiet_;
    bool refused_ = false;
};

}  // namespace

void guardRequests(QTcpSocket* socket, QObject* httpServer) {
    new RequestGuard(socket, httpServer);
}

void requestDone(QTcpSocket* socket) {
    if (auto* guard = socket->findChild<RequestGuard*>(QStringLiteral("requestGuard"),
                                                       Qt::FindDirectChildrenOnly)) {
        guard->requestDone();
    }
}

bool RequestRate::admit(const QHostAddress& from, Clock::time_point now) {
    auto found = buckets_.find(from);
    if (found == buckets_.end()) {
        if (buckets_.size() >= kMaxRatedAddresses) {
            // The address that has been quiet longest is the one a full bucket would forget.
            const auto oldest = std::min_element(
                buckets_.begin(), buckets_.end(),
                [](const Bucket& a, const Bucket& b) { return a.refilled < b.refilled; });
            buckets_.erase(oldest);
        }
        found = buckets_.insert(from, Bucket{kRequestBurst, now});
    }
    Bucket& bucket = *found;
    const double elapsed = std::chrono::duration<double>(now - bucket.refilled).count();
    bucket.tokens =
        std::min(kRequestBurst, bucket.tokens + std::max(0.0, elapsed) * kRequestsPerSecond);
    bucket.refilled = now;
    if (bucket.tokens < 1.0) {
        return false;
    }
    bucket.tokens -= 1.0;
    return true;
}

}  // namespace quillmark
