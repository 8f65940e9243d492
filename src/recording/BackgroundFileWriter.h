// Writes a recording's rows on a thread of its own, so that a disk that stalls (a network
// folder, a slow USB stick) never holds up the polling tick that produced a row. The queue is
// bounded: a row that finds it full is dropped and counted, and memory stays bounded however
// long the disk stalls. The first failed write or sync ends the writing; the owner learns it on
// its next call.
#pragma once

#include "platform/QtClock.h"
#include "recording/PeriodicSync.h"
#include "recording/RecordingWriter.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QIODevice;

namespace quillmark {

// About 30 minutes at 2 rows a second, or 3 minutes of the logger's fastest sampling, in a few
// MB.
inline constexpr std::size_t kQueuedRowsLimit = 8192;

class BackgroundFileWriter {
public:
    // `device` is open for writing and holds its header already; rows reach the disk within
    // `syncPeriod` of their write (a zero period leaves the syncing to the system).
    BackgroundFileWriter(std::unique_ptr<QIODevice> device, std::chrono::nanoseconds syncPeriod,
                         std::size_t queueLimit = kQueuedRowsLimit);
    // Writes what is queued, then closes: nothing queued is given up.
    ~BackgroundFileWriter();

    BackgroundFileWriter(const BackgroundFileWriter&) = delete;
    BackgroundFileWriter& operator=(const BackgroundFileWriter&) = delete;

    // Queues one whole row line; `seconds` names the row. False when the row was dropped: the
    // queue is full or writing has failed.
    bool queue(QByteArray line, double seconds);
    // Has what is written so far synced soon, without waiting for it (the link went quiet).
    void syncSoon();
    // Writes what is queued, syncs and closes. Returns the failure, if any. Later calls do
    // nothing.
    QString finish();

    // Why writing failed (the system's reason), empty while it works.
    QString failure() const;
    long written() const;
    // Rows given up: found the queue full, or were still queued when writing failed.
    long dropped() const;
    // The last row that is in the file, by its `seconds`.
    std::optional<double> lastWritten() const;

private:
    struct QueuedRow {
        QByteArray line;
        double seconds = 0.0;
    };

    void run();
    void writeBatch(std::deque<QueuedRow>& batch, std::unique_lock<std::mutex>& lock);
    void syncUnlocked(std::unique_lock<std::mutex>& lock, bool always);
    void fail(const QString& reason);

    std::unique_ptr<QIODevice> device_;
    RecordingWriter writer_;
    QtClock clock_;  // the machine's: this thread's sync period runs in real time
    PeriodicSync sync_;
    const std::size_t queueLimit_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QueuedRow> queue_;
    bool syncAsked_ = false;
    bool finishing_ = false;
    bool finished_ = false;
    QString failure_;
    long written_ = 0;
    long dropped_ = 0;
    std::optional<double> lastWritten_;
    std::thread thread_;  // last: it starts once everything above is in place
};

}  // namespace quillmark
