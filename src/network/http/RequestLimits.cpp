#include "network/http/RequestLimits.h"

#include <QTimer>

#include <algorithm>

namespace quillmark {

namespace {

// The deadline of the request arriving on one connection.
class RequestGuard final : public QObject {
public:
    explicit RequestGuard(QTcpSocket* socket) : QObject(socket) {
        setObjectName(QStringLiteral("requestGuard"));
        // The server reads a request inside a transaction that holds all of it until it is
        // whole; with the buffer bounded, a larger request stops being read and waits for the
        // deadline instead of filling memory.
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
        });
    }
    void requestDone() { deadline_.stop(); }

private:
    QTimer deadline_;
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
