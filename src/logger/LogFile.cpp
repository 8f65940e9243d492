#include "logger/LogFile.h"

#include "recording/RecordingFiles.h"
#include "recording/RecordingFormat.h"
#include "recording/RecordingWriter.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>

namespace quillmark {

LogFile::LogFile(std::chrono::nanoseconds syncEvery) : syncEvery_(syncEvery) {}

LogFile::~LogFile() {
    close();
}

QString LogFile::ready(const QString& folder, const QString& modelName) {
    if (rows_) {
        return {};
    }
    if (!pending_) {
        NewRecordingFile made =
            createRecordingFile(folder, recordingFileName(modelName, QDateTime::currentDateTime()));
        if (!made.file) {
            return QStringLiteral("%1: %2").arg(made.path, made.error);
        }
        pending_ = std::move(made.file);
        path_ = made.path;
        origin_.reset();
        queued_ = 0;
        dropped_ = 0;
        lastWritten_.reset();
        markers_ = 0;
    }
    // A header that did not fit before may have left part of itself: it starts again at the top.
    if (pending_->size() > 0 && !(pending_->resize(0) && pending_->seek(0))) {
        return QStringLiteral("%1: %2").arg(path_, pending_->errorString());
    }
    if (const QString error = RecordingWriter(*pending_).writeHeader(); !error.isEmpty()) {
        return QStringLiteral("%1: %2").arg(path_, error);
    }
    rows_ = std::make_unique<BackgroundFileWriter>(std::move(pending_), syncEvery_);
    return {};
}

QString LogFile::write(const RecordingRow& row) {
    if (!rows_) {
        return QStringLiteral("no file is open");
    }
    if (QString error = failure(); !error.isEmpty()) {
        return error;
    }
    if (!origin_) {
        origin_ = row.seconds;
    }
    RecordingRow relative = row;
    relative.seconds = std::max(0.0, row.seconds - *origin_);
    if (relative.marker) {
        relative.marker->number = markers_ + 1;
    }
    if (rows_->queue(recordingRowLine(relative), row.seconds)) {
        ++queued_;
        markers_ += relative.marker ? 1 : 0;
        return {};
    }
    // Refused: the queue was full (counted, and the file goes on) or writing failed just now.
    return failure();
}

QString LogFile::failure() const {
    const QString error = rows_ ? rows_->failure() : QString();
    return error.isEmpty() ? error : QStringLiteral("%1: %2").arg(path_, error);
}

void LogFile::syncSoon() {
    if (rows_) {
        rows_->syncSoon();
    }
}

void LogFile::close() {
    if (rows_) {
        rows_->finish();
        queued_ = rows_->written();
        dropped_ = rows_->dropped();
        lastWritten_ = rows_->lastWritten();
        rows_.reset();
    }
    if (pending_) {
        // Not even the header fitted: an empty file would only stand in the way.
        pending_->close();
        QFile::remove(path_);
        pending_.reset();
    }
}

long LogFile::dropped() const {
    return rows_ ? rows_->dropped() : dropped_;
}

std::optional<double> LogFile::lastWritten() const {
    return rows_ ? rows_->lastWritten() : lastWritten_;
}

}  // namespace quillmark
