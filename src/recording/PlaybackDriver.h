// Plays a recording onto the real-time panel: each row's values and status at the moment the
// row was recorded, scaled by the chosen speed; pause, single steps and seeking.
#pragma once

#include "recording/RecordingColumns.h"

#include <QObject>

#include <array>
#include <memory>
#include <span>

class QTimer;

namespace quillmark {

class RealTimeView;

inline constexpr std::array<double, 4> kPlaybackSpeeds{0.5, 1.0, 2.0, 4.0};

class PlaybackDriver final : public QObject {
    Q_OBJECT
public:
    // The recording is shared with the chart that shows it.
    PlaybackDriver(std::shared_ptr<const RecordingColumns> recording, RealTimeView& view,
                   QObject* parent = nullptr);

    std::size_t rowCount() const { return rows_->size(); }
    const std::shared_ptr<const RecordingColumns>& recording() const { return rows_; }
    std::size_t currentRow() const { return row_; }
    bool playing() const { return playing_; }
    double speed() const { return speed_; }

    void play();
    void pause();
    // One row on; pauses first.
    void step();
    // Shows `row` at once; a playing recording goes on from there.
    void seek(std::size_t row);
    void setSpeed(double speed);

    // Milliseconds until the row after `row` is due at `speed`.
    static int delayToNext(std::span<const double> times, std::size_t row, double speed);

signals:
    void rowShown(std::size_t row);
    void playingChanged(bool playing);

private:
    void show(std::size_t index);
    void scheduleNext();
    void advance();

    std::shared_ptr<const RecordingColumns> rows_;
    RealTimeView& view_;
    QTimer* timer_ = nullptr;
    std::size_t row_ = 0;
    bool playing_ = false;
    double speed_ = 1.0;
};

}  // namespace quillmark
