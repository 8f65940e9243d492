#include "recording/BackgroundFileWriter.h"

#include <QIODevice>

namespace quillmark {

BackgroundFileWriter::BackgroundFileWriter(std::unique_ptr<QIODevice> device,
                                           std::chrono::nanoseconds syncPeriod,
                                           std::size_t queueLimit)
    : device_(std::move(device)),
      writer_(*device_),
      sync_(clock_, syncPeriod),
      queueLimit_(queueLimit),
      thread_([this] { run(); }) {}

BackgroundFileWriter::~BackgroundFileWriter() {
    finish();
}

bool BackgroundFileWriter::queue(QByteArray line, double seconds) {
    {
        const std::lock_guard lock(mutex_);
        if (!failure_.isEmpty() || finishing_) {
            return false;
        }
        if (queue_.size() >= queueLimit_) {
            ++dropped_;
            return false;
        }
        queue_.push_back({std::move(line), seconds});
    }
    wake_.notify_one();
    return true;
}

void BackgroundFileWriter::syncSoon() {
    {
        const std::lock_guard lock(mutex_);
        syncAsked_ = true;
    }
    wake_.notify_one();
}

QString BackgroundFileWriter::finish() {
    {
        const std::lock_guard lock(mutex_);
        if (finished_) {
            return failure_;
        }
        finishing_ = true;
    }
    wake_.notify_one();
    thread_.join();
    device_->close();
    const std::lock_guard lock(mutex_);
    finished_ = true;
    return failure_;
}

QString BackgroundFileWriter::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

long BackgroundFileWriter::written() const {
    const std::lock_guard lock(mutex_);
    return written_;
}

long BackgroundFileWriter::dropped() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}

std::optional<double> BackgroundFileWriter::lastWritten() const {
    const std::lock_guard lock(mutex_);
    return lastWritten_;
}

void BackgroundFileWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto woken = [this] { return !queue_.empty() || syncAsked_ || finishing_; };
        // The device and the sync belong to this thread alone; the lock guards the queue and
        // the counts.
        const auto due = sync_.untilDue();
        if (due && failure_.isEmpty()) {
            wake_.wait_for(lock, *due, woken);
        } else {
            wake_.wait(lock, woken);
        }
        if (!failure_.isEmpty()) {
            // A file that failed takes nothing more; its owner starts another or stops.
            queue_.clear();
        } else if (!queue_.empty()) {
            std::deque<QueuedRow> batch;
            batch.swap(queue_);
            writeBatch(batch, lock);
        }
        const bool last = finishing_ && queue_.empty();
        if (failure_.isEmpty()) {
            syncUnlocked(lock, syncAsked_ || last);
        }
        syncAsked_ = false;
        if (last) {
            return;
        }
    }
}

void BackgroundFileWriter::writeBatch(std::deque<QueuedRow>& batch,
                                      std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    long good = 0;
    std::optional<double> last;
    QString error;
    for (const QueuedRow& row : batch) {
        error = writer_.writeLine(row.line);
        if (!error.isEmpty()) {
            break;
        }
        ++good;
        last = row.seconds;
    }
    if (error.isEmpty() && good > 0) {
        error = sync_.wrote(*device_);
    }
    lock.lock();
    written_ += good;
    if (last) {
        lastWritten_ = last;
    }
    if (!error.isEmpty()) {
        fail(error);
    }
}

void BackgroundFileWriter::syncUnlocked(std::unique_lock<std::mutex>& lock, bool always) {
    lock.unlock();
    const QString error = always ? sync_.syncNow(*device_) : sync_.syncIfDue(*device_);
    lock.lock();
    if (!error.isEmpty()) {
        fail(error);
    }
}

void BackgroundFileWriter::fail(const QString& reason) {
    if (failure_.isEmpty()) {
        failure_ = reason;
    }
}

}  // namespace quillmark
