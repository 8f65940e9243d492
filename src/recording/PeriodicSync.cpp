#include "recording/PeriodicSync.h"

#include "platform/Clock.h"
#include "platform/FileSync.h"

#include <QFileDevice>

#include <algorithm>

namespace quillmark {

QString PeriodicSync::wrote(QIODevice& device) {
    if (!started_) {
        // The period runs from the first write, so the first rows wait no longer than the rest.
        started_ = true;
        lastSync_ = clock_.now();
    }
    unsynced_ = true;
    return syncIfDue(device);
}

std::optional<std::chrono::nanoseconds> PeriodicSync::untilDue() const {
    if (!unsynced_) {
        return std::nullopt;
    }
    return std::max(std::chrono::nanoseconds::zero(), lastSync_ + period_ - clock_.now());
}

QString PeriodicSync::syncIfDue(QIODevice& device) {
    if (!unsynced_ || clock_.now() - lastSync_ < period_) {
        return {};
    }
    return syncNow(device);
}

QString PeriodicSync::syncNow(QIODevice& device) {
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (!unsynced_ || file == nullptr) {
        return {};
    }
    return sync(*file);
}

QString PeriodicSync::sync(QFileDevice& file) {
    QString error = syncData(file);
    lastSync_ = clock_.now();
    if (error.isEmpty()) {
        unsynced_ = false;
    }
    return error;
}

}  // namespace quillmark
