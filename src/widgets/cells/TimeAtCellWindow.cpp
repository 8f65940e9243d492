#include "widgets/cells/TimeAtCellWindow.h"

#include "widgets/cells/TimeAtCellWidget.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace quillmark {

namespace {

constexpr int kLiveRebuildMs = 1000;

}  // namespace

TimeAtCellWindow::TimeAtCellWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    auto live = std::make_shared<RecordingColumns>();
    liveColumns_ = live.get();
    columns_ = std::move(live);
    setObjectName(QStringLiteral("frmTimeAtCell"));
    setWindowTitle(QString::fromLatin1(kTimeAtCellTitle));
    resize(900, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* top = new QHBoxLayout();
    quantity_ = new QComboBox(this);
    quantity_->setObjectName(QStringLiteral("cboQuantity"));
    for (const CellQuantity& design : kCellQuantities) {
        quantity_->addItem(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(design.name),
                                                         QString::fromLatin1(design.unit)),
                           static_cast<int>(design.quantity));
    }
    auto* quantityLabel = new QLabel(QStringLiteral("&Mean of:"), this);
    quantityLabel->setBuddy(quantity_);
    counted_ = new QLabel(this);
    counted_->setObjectName(QStringLiteral("lblCounted"));
    top->addWidget(quantityLabel);
    top->addWidget(quantity_);
    top->addSpacing(12);
    top->addWidget(counted_, 1);
    layout->addLayout(top);
    table_ = new TimeAtCellWidget(this);
    table_->setObjectName(QStringLiteral("tblTimeAtCell"));
    layout->addWidget(table_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Each cell: the time spent there, and the mean "
                                                "under it. Click a cell to mark its samples on "
                                                "the chart."),
                                 this));

    liveRebuild_ = new QTimer(this);
    liveRebuild_->setSingleShot(true);
    liveRebuild_->setInterval(kLiveRebuildMs);
    connect(liveRebuild_, &QTimer::timeout, this, &TimeAtCellWindow::rebuild);
    connect(quantity_, &QComboBox::currentIndexChanged, this, &TimeAtCellWindow::rebuild);
    connect(table_, &TimeAtCellWidget::chosenChanged, this, &TimeAtCellWindow::tellHighlights);
    rebuild();
}

void TimeAtCellWindow::showRecording(std::shared_ptr<const RecordingColumns> recording) {
    columns_ = recording ? std::move(recording) : std::make_shared<RecordingColumns>();
    liveColumns_ = nullptr;
    table_->choose(std::nullopt);
    rebuild();
}

void TimeAtCellWindow::appendLive(const RecordingRow& row) {
    if (liveColumns_ == nullptr) {
        return;  // a recording's table takes no live rows
    }
    liveColumns_->append(row);
    if (!liveRebuild_->isActive()) {
        liveRebuild_->start();
    }
}

void TimeAtCellWindow::rebuild() {
    const auto averaged = static_cast<Quantity>(quantity_->currentData().toInt());
    table_->showGrid(TimeAtCellGrid(*columns_, averaged));
    const TimeAtCellGrid& grid = table_->grid();
    if (columns_->empty()) {
        counted_->setText(QStringLiteral("Waiting for the first update of the panel"));
    } else {
        const QString rows = columns_->size() == 1
                                 ? QStringLiteral("1 row")
                                 : QStringLiteral("%1 rows").arg(columns_->size());
        counted_->setText(QStringLiteral("%1 counted from %2, one every %3 s")
                              .arg(cellTimeText(grid.countedSeconds()), rows)
                              .arg(grid.sampling(), 0, 'g', 3));
    }
    // Live, the chosen cell gains samples.
    if (table_->chosen()) {
        tellHighlights();
    }
}

void TimeAtCellWindow::closeEvent(QCloseEvent* event) {
    // The marks on the chart belong to the table: they go with it.
    emit highlightsChanged({});
    QWidget::closeEvent(event);
}

void TimeAtCellWindow::tellHighlights() {
    const auto chosen = table_->chosen();
    emit highlightsChanged(chosen ? table_->grid().spansOf(*columns_, *chosen)
                                  : std::vector<TimeWindow>{});
}

}  // namespace quillmark
