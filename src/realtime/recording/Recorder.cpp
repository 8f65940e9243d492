#include "realtime/recording/Recorder.h"

#include "platform/Clock.h"
#include "realtime/recording/RecordingFormat.h"
#include "realtime/recording/RecordingWriter.h"

#include <QIODevice>

#include <algorithm>

namespace quillmark {

Recorder::Recorder(Clock& clock, FailureHandler onFailure)
    : clock_(clock), onFailure_(std::move(onFailure)) {}

Recorder::~Recorder() {
    stop();
}

QString Recorder::start(std::unique_ptr<QIODevice> device, const QString& path) {
    stop();
    // The header is written here, so that a folder that takes no file is told at once.
    RecordingWriter header(*device);
    if (!header.writeHeader()) {
        return header.error();
    }
    file_ = std::make_unique<BackgroundFileWriter>(std::move(device), kRecorderSyncPeriod);
    path_ = path;
    started_ = clock_.now();
    rows_ = 0;
    dropped_ = 0;
    return {};
}

void Recorder::stop() {
    if (!file_) {
        return;
    }
    file_->finish();
    rows_ = file_->written();
    dropped_ = file_->dropped();
    file_.reset();
}

std::chrono::nanoseconds Recorder::elapsed() const {
    return recording() ? clock_.now() - started_ : std::chrono::nanoseconds{};
}

long Recorder::rowsWritten() const {
    return file_ ? file_->written() : rows_;
}

long Recorder::rowsDropped() const {
    return file_ ? file_->dropped() : dropped_;
}

void Recorder::addRow(const RecordingRow& row) {
    checkForFailure();
    if (!recording()) {
        return;
    }
    RecordingRow relative = row;
    const double start = std::chrono::duration<double>(started_).count();
    relative.seconds = std::max(0.0, row.seconds - start);
    file_->queue(recordingRowLine(relative), row.seconds);
}

void Recorder::checkForFailure() {
    if (!file_) {
        return;
    }
    const QString reason = file_->failure();
    if (reason.isEmpty()) {
        return;
    }
    stop();
    if (onFailure_) {
        onFailure_(path_, reason);
    }
}

}  // namespace quillmark
