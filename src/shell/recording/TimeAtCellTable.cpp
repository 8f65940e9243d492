#include "shell/recording/TimeAtCellTable.h"

#include "widgets/cells/TimeAtCellWindow.h"
#include "widgets/chart/ChartWidget.h"
#include "widgets/chart/ChartWindow.h"

namespace quillmark {

void TimeAtCellTable::show(std::shared_ptr<const RecordingColumns> recording, const QString& name) {
    const bool live = recording == nullptr;
    if (table_ != nullptr && live == live_) {
        table_->show();
        table_->raise();
        return;
    }
    close();
    table_ = new TimeAtCellWindow(&window_);
    table_->setAttribute(Qt::WA_DeleteOnClose);
    live_ = live;
    if (!live) {
        table_->setWindowTitle(
            QStringLiteral("%1 - %2").arg(QString::fromLatin1(kTimeAtCellTitle), name));
        table_->showRecording(std::move(recording));
    }
    QObject::connect(table_, &TimeAtCellWindow::highlightsChanged, table_,
                     [this](const std::vector<TimeWindow>& spans) {
                         if (ChartWindow* chart = chartOf_(live_)) {
                             chart->chart()->setHighlights(spans);
                         }
                     });
    table_->show();
    table_->raise();
}

void TimeAtCellTable::appendLive(const RecordingRow& row) {
    if (table_ != nullptr && live_) {
        table_->appendLive(row);
    }
}

void TimeAtCellTable::close() {
    if (table_ != nullptr) {
        table_->close();
    }
}

void TimeAtCellTable::closeRecordingTable() {
    if (!live_) {
        close();
    }
}

}  // namespace quillmark
