#include "network/http/RequestLimits.h"

#include <QTimer>

#include <algorithm>

namespace quillmark {

void guardRequests(QTcpSocket* socket) {
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, socket, [socket] {
        if (socket->bytesAvailable() > 0) {
            socket->abort();
        }
    });
    QObject::connect(socket, &QIODevice::readyRead, socket, [socket, deadline] {
        if (socket->bytesAvailable() > kMaxRequestBytes) {
            socket->write("HTTP/1.1 431 Request Header Fields Too Large\r\n"
                          "Content-Length: 0\r\nConnection: close\r\n\r\n");
            socket->flush();
            socket->abort();
            return;
        }
        if (!deadline->isActive()) {
            deadline->start(kRequestDeadline);
        }
    });
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
