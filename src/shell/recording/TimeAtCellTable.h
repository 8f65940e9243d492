// View, Time at Cell: the table of the recording played back, or of the live panel's rows from
// when it opens; a chosen cell's samples are marked on the chart of the same rows, and the
// marks go when the table closes.
#pragma once

#include "recording/RecordingColumns.h"
#include "widgets/cells/TimeAtCellWindow.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace quillmark {

class ChartWindow;

class TimeAtCellTable final {
public:
    // `chartOf(live)` is the chart the table's cells are marked on, if it is open.
    TimeAtCellTable(QWidget& window, std::function<ChartWindow*(bool live)> chartOf)
        : window_(window), chartOf_(std::move(chartOf)) {}

    // The table of `recording` (named `name`), or with none, of the live rows from now on; a
    // table already open for the same kind is brought to the front.
    void show(std::shared_ptr<const RecordingColumns> recording, const QString& name);
    void appendLive(const RecordingRow& row);
    void close();
    // The table of a recording closes with its playback.
    void closeRecordingTable();
    TimeAtCellWindow* window() const { return table_; }

private:
    QWidget& window_;
    std::function<ChartWindow*(bool live)> chartOf_;
    QPointer<TimeAtCellWindow> table_;
    bool live_ = false;
};

}  // namespace quillmark
