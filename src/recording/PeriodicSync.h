// When written rows are pushed through to the disk: at least once a period, so that a power cut
// loses at most that much of a recording.
#pragma once

#include <QString>

#include <chrono>
#include <optional>

class QFileDevice;
class QIODevice;

namespace quillmark {

class Clock;

class PeriodicSync {
public:
    PeriodicSync(Clock& clock, std::chrono::nanoseconds period) : clock_(clock), period_(period) {}

    // After a write to `device`: syncs when the period since the last sync is up. Returns an
    // empty text, or why the sync failed. A device that is no file is never synced.
    QString wrote(QIODevice& device);
    // Between writes (a link that has gone quiet): syncs what is still unsynced once it is due.
    QString syncIfDue(QIODevice& device);
    // At the end of a file: syncs whatever is unsynced.
    QString syncNow(QIODevice& device);

    bool unsynced() const { return unsynced_; }
    // How long until rows written now are due on the disk; nothing when nothing is unsynced.
    std::optional<std::chrono::nanoseconds> untilDue() const;

private:
    QString sync(QFileDevice& file);

    Clock& clock_;
    std::chrono::nanoseconds period_;
    std::chrono::nanoseconds lastSync_{};
    bool started_ = false;
    bool unsynced_ = false;
};

}  // namespace quillmark
