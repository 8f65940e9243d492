// One recording in progress: its file, its start on the monotonic clock, its markers, and
// stopping it cleanly when a write fails. Rows are written on a thread of their own, so a
// stalled disk never holds up the polling.
#pragma once

#include "recording/BackgroundFileWriter.h"
#include "recording/RecordingRow.h"

#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
    // Writes the rows held for a marker's text, waits until every queued row is written, then
    // closes the file.
    void stop();

    bool recording() const { return file_ != nullptr; }
    const QString& path() const { return path_; }
    std::chrono::nanoseconds elapsed() const;
    // Rows in the file; final once the recording has stopped.
    long rowsWritten() const;
    // Rows a stalled disk could not take in time (the queue was full).
    long rowsDropped() const;

    // A finished tick with its time on the monotonic clock and its own markers (its alarms);
    // queued for the file (unless a marker's text is awaited), and on the disk within
    // kRecorderSyncPeriod. Returns the markers it put on the row, numbered (a text may still be
    // to come).
    std::vector<RecordingMarker> addRow(const RecordingRow& row);
    // Stops the recording and tells the failure handler when a write has failed since; rows and
    // the recording line's clock call it.
    void checkForFailure();

    // The user's markers go on the next row that arrives, all of them, numbered 1, 2, 3... in
    // each file; an alarm's markers, on the row they came with, A1, A2, A3... apart from them.
    // Returns the number, or 0 when nothing is being recorded.
    int addMarker(const QString& text);
    // A marker whose text is still to be asked for: it goes on the next row all the same, and
    // that row and the rows after it wait in memory, in order, until finishMarker gives the
    // text; so the marker sits at the moment it was asked for however long the answer takes.
    int openMarker();
    void finishMarker(int number, const QString& text);
    int markers() const { return markers_; }  // the user's so far

private:
    void queue(const RecordingRow& row);
    void writeHeld();

    Clock& clock_;
    FailureHandler onFailure_;
    std::unique_ptr<BackgroundFileWriter> file_;
    QString path_;
    std::chrono::nanoseconds started_{};
    long rows_ = 0;
    long dropped_ = 0;
    int markers_ = 0;
    int alarmMarkers_ = 0;
    std::deque<RecordingMarker> pending_;  // for the next rows
    std::vector<int> awaited_;             // markers whose text is still to come
    std::deque<RecordingRow> held_;        // rows from the first awaited marker on
};

}  // namespace quillmark
