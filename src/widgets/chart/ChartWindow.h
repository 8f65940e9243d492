// The chart's own window: beside the chart the list of its markers, and with a recording played
// back the playback controls and the runs compared with it.
#pragma once

#include "analysis/ChartOverlay.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace quillmark {

class ChartWidget;
class PlaybackDriver;

inline constexpr const char* kChartTitle = "Chart";

class ChartWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(QWidget* parent = nullptr);

    ChartWidget* chart() const { return chart_; }
    // Shows the controls and keeps chart cursor and playback on the same row; null hides them.
    void attachPlayback(PlaybackDriver* driver);

    // Lays `runs` over the recording, named in a legend over the chart with the first run's
    // `firstName` and how they line up (`alignment`: "at marker 2"); none clears it.
    void showComparison(const QString& firstName, std::vector<ChartOverlay> runs,
                        const QString& alignment);

signals:
    void closed();
    // The user asked for recordings to compare with the one shown.
    void compareRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPlaying(bool playing);
    // The list beside the chart: each marker's time, kind and text; hidden without any.
    void listMarkers();

    ChartWidget* chart_ = nullptr;
    QWidget* controls_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* step_ = nullptr;
    QComboBox* speed_ = nullptr;
    QLabel* position_ = nullptr;
    QPushButton* compare_ = nullptr;
    QPushButton* clearComparison_ = nullptr;
    QLabel* legend_ = nullptr;
    QComboBox* reference_ = nullptr;
    QTreeWidget* markers_ = nullptr;
    PlaybackDriver* driver_ = nullptr;
};

}  // namespace quillmark
