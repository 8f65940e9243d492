// One recording in progress: its file, its start on the monotonic clock, and stopping it
// cleanly when a write fails. Rows are written on a thread of their own, so a stalled disk never
// holds up the polling.
#pragma once

#include "realtime/recording/BackgroundFileWriter.h"
#include "realtime/recording/RecordingRow.h"

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
    // Waits until every queued row is written, then closes the file.
    void stop();

    bool recording() const { return file_ != nullptr; }
    const QString& path() const { return path_; }
    std::chrono::nanoseconds elapsed() const;
    // Rows in the file; final once the recording has stopped.
    long rowsWritten() const;
    // Rows a stalled disk could not take in time (the queue was full).
    long rowsDropped() const;

    // A finished tick with its time on the monotonic clock; queued for the file, and on the disk
    // within kRecorderSyncPeriod.
    void addRow(const RecordingRow& row);
    // Stops the recording and tells the failure handler when a write has failed since; rows and
    // the recording line's clock call it.
    void checkForFailure();

private:
    Clock& clock_;
    FailureHandler onFailure_;
    std::unique_ptr<BackgroundFileWriter> file_;
    QString path_;
    std::chrono::nanoseconds started_{};
    long rows_ = 0;
    long dropped_ = 0;
};

}  // namespace quillmark
