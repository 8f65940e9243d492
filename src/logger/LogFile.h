// One recording file of the logger: made in the folder, rows written whole with their times
// counted from the file's first row, and on the disk within the sync period.
#pragma once

#include "realtime/recording/PeriodicSync.h"
#include "realtime/recording/RecordingRow.h"
#include "realtime/recording/RecordingWriter.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QFile;

namespace quillmark {

class Clock;

class LogFile {
public:
    LogFile(Clock& clock, std::chrono::nanoseconds syncEvery);
    ~LogFile();

    // Makes a new file with its header, or finishes the header of one made before whose header
    // did not fit. Returns an empty text when rows can be written, or why not; a file made but
    // not finished is kept for the next try, so a full disk does not leave a trail of them.
    QString ready(const QString& folder, const QString& modelName);
    // Returns an empty text, or why the row could not be written; a row that did not fit is cut
    // off again, so the file ends with its last whole row. A row's marker is numbered here,
    // 1, 2, 3... in each file.
    QString write(const RecordingRow& row);
    // The number the last marker written was given; 0 before the file's first.
    int markers() const { return markers_; }
    // Rows not yet on the disk go there once the sync period is up, or at once.
    QString syncIfDue();
    QString syncNow();
    // Syncs and closes; a file that never had its header is left as it is (empty).
    void close();

    bool isOpen() const { return file_ != nullptr; }
    bool hasHeader() const { return writer_ != nullptr && headerWritten_; }
    const QString& path() const { return path_; }
    long rows() const { return rows_; }

private:
    Clock& clock_;
    std::chrono::nanoseconds syncEvery_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<RecordingWriter> writer_;
    std::unique_ptr<PeriodicSync> sync_;
    bool headerWritten_ = false;
    QString path_;
    std::optional<double> origin_;  // monotonic seconds of the first row
    long rows_ = 0;
    int markers_ = 0;
};

}  // namespace quillmark
