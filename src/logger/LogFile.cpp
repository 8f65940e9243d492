#include "logger/LogFile.h"

#include "realtime/recording/RecordingFiles.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>

namespace quillmark {

LogFile::LogFile(Clock& clock, std::chrono::nanoseconds syncEvery)
    : clock_(clock), syncEvery_(syncEvery) {}

LogFile::~LogFile() {
    close();
}

QString LogFile::ready(const QString& folder, const QString& modelName) {
    if (!file_) {
        NewRecordingFile made =
            createRecordingFile(folder, recordingFileName(modelName, QDateTime::currentDateTime()));
        if (!made.file) {
            return QStringLiteral("%1: %2").arg(made.path, made.error);
        }
        file_ = std::move(made.file);
        path_ = made.path;
        writer_ = std::make_unique<RecordingWriter>(*file_);
        sync_ = std::make_unique<PeriodicSync>(clock_, syncEvery_);
        headerWritten_ = false;
        origin_.reset();
        rows_ = 0;
        markers_ = 0;
    }
    if (!headerWritten_) {
        if (!writer_->writeHeader()) {
            return QStringLiteral("%1: %2").arg(path_, writer_->error());
        }
        headerWritten_ = true;
        if (const QString error = sync_->wrote(*file_); !error.isEmpty()) {
            return QStringLiteral("%1: %2").arg(path_, error);
        }
    }
    return {};
}

QString LogFile::write(const RecordingRow& row) {
    if (!hasHeader()) {
        return QStringLiteral("no file is open");
    }
    if (!origin_) {
        origin_ = row.seconds;
    }
    RecordingRow relative = row;
    relative.seconds = std::max(0.0, row.seconds - *origin_);
    if (relative.marker) {
        relative.marker->number = markers_ + 1;
    }
    if (!writer_->writeRow(relative)) {
        return QStringLiteral("%1: %2").arg(path_, writer_->error());
    }
    ++rows_;
    if (relative.marker) {
        ++markers_;
    }
    if (const QString error = sync_->wrote(*file_); !error.isEmpty()) {
        return QStringLiteral("%1: %2").arg(path_, error);
    }
    return {};
}

QString LogFile::syncIfDue() {
    if (!file_) {
        return {};
    }
    const QString error = sync_->syncIfDue(*file_);
    return error.isEmpty() ? error : QStringLiteral("%1: %2").arg(path_, error);
}

QString LogFile::syncNow() {
    if (!file_) {
        return {};
    }
    const QString error = sync_->syncNow(*file_);
    return error.isEmpty() ? error : QStringLiteral("%1: %2").arg(path_, error);
}

void LogFile::close() {
    if (!file_) {
        return;
    }
    sync_->syncNow(*file_);
    writer_.reset();
    sync_.reset();
    file_->close();
    file_.reset();
}

}  // namespace quillmark
