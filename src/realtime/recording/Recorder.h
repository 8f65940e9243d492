// One recording in progress: its file, its start on the monotonic clock, and stopping it
// cleanly when a write fails.
#pragma once

#include "realtime/recording/PeriodicSync.h"
#include "realtime/recording/RecordingRow.h"
#include "realtime/recording/RecordingWriter.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QIODevice;

namespace quillmark {

class Clock;

inline constexpr std::chrono::seconds kRecorderSyncPeriod{1};

class Recorder {
public:
    // Told the file and the reason after a failed write has stopped the recording.
    using FailureHandler = std::function<void(const QString& path, const QString& reason)>;

    Recorder(Clock& clock, FailureHandler onFailure);
    ~Recorder();

    // Writes the header; on failure nothing is recorded and the reason is returned.
    QString start(std::unique_ptr<QIODevice> device, const QString& path);
    void stop();

    bool recording() const { return device_ != nullptr; }
    const QString& path() const { return path_; }
    std::chrono::nanoseconds elapsed() const;
    long rowsWritten() const { return rows_; }

    // A finished tick with its time on the monotonic clock; written and flushed at once, and
    // on the disk within kRecorderSyncPeriod.
    void addRow(const RecordingRow& row);

private:
    Clock& clock_;
    FailureHandler onFailure_;
    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<RecordingWriter> writer_;
    std::unique_ptr<PeriodicSync> sync_;
    QString path_;
    std::chrono::nanoseconds started_{};
    long rows_ = 0;
};

}  // namespace quillmark
