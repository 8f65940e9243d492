#include "realtime/recording/Recorder.h"

#include "platform/Clock.h"

#include <QIODevice>

namespace quillmark {

Recorder::Recorder(Clock& clock, FailureHandler onFailure)
    : clock_(clock), onFailure_(std::move(onFailure)) {}

Recorder::~Recorder() {
    stop();
}

QString Recorder::start(std::unique_ptr<QIODevice> device, const QString& path) {
    stop();
    auto writer = std::make_unique<RecordingWriter>(*device);
    if (!writer->writeHeader()) {
        return writer->error();
    }
    device_ = std::move(device);
    writer_ = std::move(writer);
    sync_ = std::make_unique<PeriodicSync>(clock_, kRecorderSyncPeriod);
    path_ = path;
    started_ = clock_.now();
    rows_ = 0;
    return {};
}

void Recorder::stop() {
    writer_.reset();
    if (device_ && sync_) {
        sync_->syncNow(*device_);
    }
    if (device_) {
        device_->close();
        device_.reset();
    }
}

std::chrono::nanoseconds Recorder::elapsed() const {
    return recording() ? clock_.now() - started_ : std::chrono::nanoseconds{};
}

void Recorder::addRow(const RecordingRow& row) {
    if (!recording()) {
        return;
    }
    RecordingRow relative = row;
    const double start = std::chrono::duration<double>(started_).count();
    relative.seconds = std::max(0.0, row.seconds - start);
    QString reason;
    if (writer_->writeRow(relative)) {
        ++rows_;
        reason = sync_->wrote(*device_);
        if (reason.isEmpty()) {
            return;
        }
    } else {
        reason = writer_->error();
    }
    stop();
    if (onFailure_) {
        onFailure_(path_, reason);
    }
}

}  // namespace quillmark
