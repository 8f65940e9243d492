// The time-at-cell table's own window: the quantity to average, the grid, and what was counted.
// It shows an opened recording, or collects the rows of the live panel from when it opens.
#pragma once

#include "analysis/TimeAtCellGrid.h"
#include "recording/RecordingColumns.h"

#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QTimer;

namespace quillmark {

class TimeAtCellWidget;

inline constexpr const char* kTimeAtCellTitle = "Time at Cell";

class TimeAtCellWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TimeAtCellWindow(QWidget* parent = nullptr);

    // A recording shared with the chart and playback that show it.
    void showRecording(std::shared_ptr<const RecordingColumns> recording);
    // A live row; the grid follows at most once a second, which is all a reader can take in.
    void appendLive(const RecordingRow& row);

    TimeAtCellWidget* table() const { return table_; }
    QComboBox* quantityChooser() const { return quantity_; }
    const RecordingColumns& columns() const { return *columns_; }

signals:
    // The stretches of time of the chosen cell's samples, in the rows' own seconds; none when
    // no cell is chosen.
    void highlightsChanged(const std::vector<TimeWindow>& spans);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void rebuild();
    void tellHighlights();

    TimeAtCellWidget* table_ = nullptr;
    QComboBox* quantity_ = nullptr;
    QLabel* counted_ = nullptr;
    QTimer* liveRebuild_ = nullptr;
    std::shared_ptr<const RecordingColumns> columns_;
    // Live, the same columns, which the window fills itself.
    RecordingColumns* liveColumns_ = nullptr;
};

}  // namespace quillmark
