// One recording file of the logger: made in the folder, rows queued whole with their times
// counted from the file's first row, written on a thread of their own and on the disk within the
// sync period. A stalled disk never holds up the sampling.
#pragma once

#include "recording/BackgroundFileWriter.h"
#include "recording/RecordingRow.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QFile;

namespace quillmark {

class LogFile {
public:
    explicit LogFile(std::chrono::nanoseconds syncEvery);
    ~LogFile();

    // Makes a new file with its header, or finishes the header of one made before whose header
    // did not fit. Returns an empty text when rows can be written, or why not; a file made but
    // not finished is kept for the next try, so a full disk does not leave a trail of them.
    QString ready(const QString& folder, const QString& modelName);
    // Queues a row; its marker is numbered here, 1, 2, 3... in each file. Returns an empty
    // text, or why the file takes no more rows (a write or sync failed; the file ends with its
    // last whole row). A row that finds the queue full is dropped and counted.
    QString write(const RecordingRow& row);
    // The number the last marker queued was given; 0 before the file's first.
    int markers() const { return markers_; }
    // Why writing failed since, or an empty text.
    QString failure() const;
    // What is written so far goes to the disk soon (the link went quiet).
    void syncSoon();
    // Writes what is queued, syncs and closes; a file that never had its header is removed.
    void close();

    bool isOpen() const { return pending_ != nullptr || rows_ != nullptr; }
    bool hasHeader() const { return rows_ != nullptr; }
    const QString& path() const { return path_; }
    // Rows queued for this file; once it is closed, rows in it.
    long rows() const { return queued_; }
    // Rows of this file a stalled disk did not take in time.
    long dropped() const;
    // The last row in the file, by the time it was sampled at (not its time in the file).
    std::optional<double> lastWritten() const;

private:
    std::chrono::nanoseconds syncEvery_;
    std::unique_ptr<QFile> pending_;  // made, its header not yet written
    std::unique_ptr<BackgroundFileWriter> rows_;
    QString path_;
    std::optional<double> origin_;  // monotonic seconds of the first row
    long queued_ = 0;
    long dropped_ = 0;
    std::optional<double> lastWritten_;
    int markers_ = 0;
};

}  // namespace quillmark
