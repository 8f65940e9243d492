#include "recording/Recorder.h"

#include "platform/Clock.h"
#include "recording/RecordingFormat.h"
#include "recording/RecordingWriter.h"

#include <QIODevice>

#include <algorithm>
#include <iterator>

namespace quillmark {

Recorder::Recorder(Clock& clock, FailureHandler onFailure)
    : clock_(clock), onFailure_(std::move(onFailure)) {}

Recorder::~Recorder() {
    stop();
}

QString Recorder::start(std::unique_ptr<QIODevice> device, const QString& path) {
    stop();
    // The header is written here, so that a folder that takes no file is told at once.
    if (QString error = RecordingWriter(*device).writeHeader(); !error.isEmpty()) {
        return error;
    }
    file_ = std::make_unique<BackgroundFileWriter>(std::move(device), kRecorderSyncPeriod);
    path_ = path;
    started_ = clock_.now();
    rows_ = 0;
    dropped_ = 0;
    markers_ = 0;
    alarmMarkers_ = 0;
    return {};
}

void Recorder::stop() {
    // Rows held for a marker's text go into the file with the text given so far.
    awaited_.clear();
    pending_.clear();
    if (!file_) {
        held_.clear();
        return;
    }
    writeHeld();
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

std::vector<RecordingMarker> Recorder::addRow(const RecordingRow& row) {
    checkForFailure();
    if (!recording()) {
        return {};
    }
    RecordingRow relative = row;
    const double start = std::chrono::duration<double>(started_).count();
    relative.seconds = std::max(0.0, row.seconds - start);
    // Every marker asked for since the row before goes on this row, none moves on to the next:
    // the user's first, then the row's own (its alarms), each numbered within its kind.
    relative.markers.assign(std::make_move_iterator(pending_.begin()),
                            std::make_move_iterator(pending_.end()));
    pending_.clear();
    for (RecordingMarker marker : row.markers) {
        marker.number = ++(marker.kind == MarkerKind::User ? markers_ : alarmMarkers_);
        marker.text = markerText(marker.text);
        relative.markers.push_back(std::move(marker));
    }
    std::vector<RecordingMarker> markers = relative.markers;
    if (!awaited_.empty()) {
        held_.push_back(std::move(relative));
        return markers;
    }
    queue(relative);
    return markers;
}

void Recorder::checkForFailure() {
    if (!file_) {
        return;
    }
    const QString reason = file_->failure();
    if (reason.isEmpty()) {
        return;
    }
    held_.clear();
    stop();
    if (onFailure_) {
        onFailure_(path_, reason);
    }
}

int Recorder::addMarker(const QString& text) {
    if (!recording()) {
        return 0;
    }
    pending_.push_back({++markers_, markerText(text), MarkerKind::User});
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
        for (RecordingMarker& marker : row.markers) {
            if (marker.kind == MarkerKind::User && marker.number == number) {
                marker.text = markerText(text);
            }
        }
    }
    if (awaited_.empty()) {
        writeHeld();
    }
}

void Recorder::writeHeld() {
    while (!held_.empty()) {
        queue(held_.front());
        held_.pop_front();
    }
}

void Recorder::queue(const RecordingRow& row) {
    file_->queue(recordingRowLine(row), row.seconds);
}

}  // namespace quillmark
