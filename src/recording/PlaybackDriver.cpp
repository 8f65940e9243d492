#include "recording/PlaybackDriver.h"

#include "engine/PollingCycle.h"
#include "engine/RealTimeView.h"
#include "engine/StatusText.h"

#include <QTimer>

#include <cmath>

namespace quillmark {

namespace {

// A gap of hours in a file (a paused laptop) would stall playback; longer pauses are cut.
constexpr double kLongestPauseSeconds = 10.0;

}  // namespace

PlaybackDriver::PlaybackDriver(std::shared_ptr<const RecordingColumns> recording,
                               RealTimeView& view, QObject* parent)
    : QObject(parent),
      rows_(recording ? std::move(recording) : std::make_shared<RecordingColumns>()),
      view_(view),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &PlaybackDriver::advance);
    if (!rows_->empty()) {
        show(0);
    }
}

int PlaybackDriver::delayToNext(std::span<const double> times, std::size_t row, double speed) {
    if (row + 1 >= times.size() || !(speed > 0.0)) {
        return 0;
    }
    const double gap = std::clamp(times[row + 1] - times[row], 0.0, kLongestPauseSeconds);
    return static_cast<int>(std::lround(gap * 1000.0 / speed));
}

void PlaybackDriver::play() {
    if (rows_->empty() || playing_) {
        return;
    }
    // Played to the end, Play starts again from the first row.
    if (row_ + 1 >= rows_->size()) {
        show(0);
    }
    playing_ = true;
    emit playingChanged(true);
    scheduleNext();
}

void PlaybackDriver::pause() {
    timer_->stop();
    if (playing_) {
        playing_ = false;
        emit playingChanged(false);
    }
}

void PlaybackDriver::step() {
    pause();
    if (row_ + 1 < rows_->size()) {
        show(row_ + 1);
    }
}

void PlaybackDriver::seek(std::size_t row) {
    if (row >= rows_->size()) {
        return;
    }
    show(row);
    if (playing_) {
        scheduleNext();
    }
}

void PlaybackDriver::setSpeed(double speed) {
    if (!(speed > 0.0)) {
        return;
    }
    speed_ = speed;
    if (playing_) {
        scheduleNext();
    }
}

void PlaybackDriver::scheduleNext() {
    if (row_ + 1 >= rows_->size()) {
        pause();
        return;
    }
    timer_->start(delayToNext(rows_->times(), row_, speed_));
}

void PlaybackDriver::advance() {
    if (!playing_ || row_ + 1 >= rows_->size()) {
        pause();
        return;
    }
    show(row_ + 1);
    scheduleNext();
}

void PlaybackDriver::show(std::size_t index) {
    row_ = index;
    const RecordingColumns& rows = *rows_;
    // A read that failed when the row was recorded shows as the live panel showed it then: 0,
    // never the value of an earlier row or of the file played before.
    auto value = [&](Quantity quantity) {
        const float v = rows.values(quantity)[index];
        return std::isnan(v) ? 0.0f : v;
    };
    // The same order and the same gauge settings as a polling tick.
    const std::optional<int> statusRaw = rows.status(index).raw;
    view_.setStatusText(statusRaw ? statusText(static_cast<std::int16_t>(*statusRaw)) : QString());
    const float percent = value(Quantity::Throttle);
    view_.gauTPS().setPointerScale(throttleSegment(percent));
    view_.gauTPS().setPointerValue(percent);
    view_.gauFuelMult1().setPointerValue(value(Quantity::FuelMultiplier1));
    view_.gauFuelMult2().setPointerValue(value(Quantity::FuelMultiplier2));
    view_.gauBatVolts().setPointerValue(value(Quantity::Battery));
    const float rpm = value(Quantity::EngineSpeed);
    view_.gauTach().setValue(static_cast<float>(rpm / 1000.0));
    view_.gauTach().setTachDisplayCode(kTachShowsReadout);
    view_.gauTach().setCaption(rpmReadout(rpm));
    const float front = value(Quantity::Injector1);
    view_.gauInj1PW().setPointerScale(injectorSegment(front));
    view_.gauInj1PW().setPointerValue(front);
    const float rear = value(Quantity::Injector2);
    view_.gauInj2PW().setPointerScale(injectorSegment(rear));
    view_.gauInj2PW().setPointerValue(rear);
    view_.gauRetard().setPointerValue(value(Quantity::Retard));
    emit rowShown(index);
}

}  // namespace quillmark
