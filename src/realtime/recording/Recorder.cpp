#include "realtime/recording/Recorder.h"

#include "platform/Clock.h"

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
    markers_ = 0;
    return {};
}

void Recorder::stop() {
    // Rows held for a marker's text go into the file with the text given so far.
    awaited_.clear();
    pending_.clear();
    if (writer_) {
        writeHeld();
    }
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

std::optional<RecordingMarker> Recorder::addRow(const RecordingRow& row) {
    if (!recording()) {
        return std::nullopt;
    }
    RecordingRow relative = row;
    const double start = std::chrono::duration<double>(started_).count();
    relative.seconds = std::max(0.0, row.seconds - start);
    if (pending_.empty()) {
        relative.marker.reset();
    } else {
        relative.marker.emplace(std::move(pending_.front()));
        pending_.pop_front();
    }
    std::optional<RecordingMarker> marker = relative.marker;
    if (!awaited_.empty()) {
        held_.push_back(std::move(relative));
        return marker;
    }
    write(relative);
    return marker;
}

int Recorder::addMarker(const QString& text) {
    if (!recording()) {
        return 0;
    }
    pending_.push_back({++markers_, markerText(text)});
    return markers_;
}

int Recorder::openMarker() {
    const int number = addMarker(QString());
    if (number > 0) {
        awaited_.push_back(number);
    }
    return number;
}

void Recorder::finishMarker(int number, const QString& text) {
    const auto awaited = std::find(awaited_.begin(), awaited_.end(), number);
    if (awaited == awaited_.end()) {
        return;
    }
    awaited_.erase(awaited);
    for (RecordingMarker& marker : pending_) {
        if (marker.number == number) {
            marker.text = markerText(text);
        }
    }
    for (RecordingRow& row : held_) {
        if (row.marker && row.marker->number == number) {
            row.marker->text = markerText(text);
        }
    }
    if (awaited_.empty()) {
        writeHeld();
    }
}

void Recorder::writeHeld() {
    while (!held_.empty()) {
        const RecordingRow row = std::move(held_.front());
        held_.pop_front();
        if (!write(row)) {
            return;
        }
    }
}

bool Recorder::write(const RecordingRow& row) {
    if (!writer_->writeRow(row)) {
        fail(writer_->error());
        return false;
    }
    ++rows_;
    if (const QString reason = sync_->wrote(*device_); !reason.isEmpty()) {
        fail(reason);
        return false;
    }
    return true;
}

void Recorder::fail(QString reason) {
    held_.clear();
    stop();
    if (onFailure_) {
        onFailure_(path_, reason);
    }
}

}  // namespace quillmark
