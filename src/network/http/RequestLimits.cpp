#include "network/http/RequestLimits.h"

#include <QTimer>

#include <algorithm>

namespace quillmark {

namespace {

// The bytes of the request arriving on one connection, and its deadline.
class RequestGuard final : public QObject {
public:
    explicit RequestGuard(QTcpSocket* socket) : QObject(socket), socket_(socket) {
        setObjectName(QStringLiteral("requestGuard"));
        deadline_.setSingleShot(true);
        // The server reads a request inside a transaction that it ends when the request is
        // whole; a socket handed on to the live clients has none.
        connect(&deadline_, &QTimer::timeout, this, [socket] {
            if (socket->isTransactionStarted()) {
                socket->abort();
            }
        });
        // Connected before the server's own reading: what arrived is seen before it is read.
        connect(socket, &QIODevice::readyRead, this, &RequestGuard::arrived);
    }
    void requestDone() {
        received_ = 0;
        deadline_.stop();
    }

private:
    void arrived() {
        if (received_ == 0) {
            deadline_.start(kRequestDeadline);
        }
        received_ += socket_->bytesAvailable();
        if (received_ > kMaxRequestBytes) {
            socket_->write("HTTP/1.1 431 Request Header Fields Too Large\r\n"
                           "Content-Length: 0\r\nConnection: close\r\n\r\n");
            socket_->flush();
            socket_->abort();
        }
    }

    QTcpSocket* socket_;
    QTimer deadline_;
    qint64 received_ = 0;
};

}  // namespace

void guardRequests(QTcpSocket* socket) {
    new RequestGuard(socket);
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
    bucket.tokens = std::min(kRequestBurst, bucket.tokens + std::max(0.0, elapsed) *
                                                                kRequestsPerSecond);
    bucket.refilled = now;
    if (bucket.tokens < 1.0) {
        return false;
    }
    bucket.tokens -= 1.0;
    return true;
}

}  // namespace quillmark
