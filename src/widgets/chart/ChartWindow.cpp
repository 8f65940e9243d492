#include "widgets/chart/ChartWindow.h"

#include "recording/PlaybackDriver.h"
#include "widgets/chart/ChartWidget.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace quillmark {

namespace {

constexpr int kMarkerListWidth = 240;
constexpr int kReferenceCharacters = 24;

// The list's Kind column: the marker's kind and number.
QString markerKindText(const RecordingMarker& marker) {
    return marker.kind == MarkerKind::Alarm ? QStringLiteral("Alarm A%1").arg(marker.number)
                                            : QStringLiteral("Marker %1").arg(marker.number);
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QString::fromLatin1(kChartTitle));
    resize(900, 640);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    legend_ = new QLabel(this);
    legend_->setObjectName(QStringLiteral("lblLegend"));
    legend_->setTextFormat(Qt::RichText);
    legend_->setWordWrap(true);
    // On the chart's own dark ground, where the runs' colours are drawn.
    QPalette dark = legend_->palette();
    dark.setColor(QPalette::Window, QColor(20, 20, 24));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    legend_->setPalette(dark);
    legend_->setAutoFillBackground(true);
    legend_->setMargin(3);
    legend_->hide();
    layout->addWidget(legend_);
    chart_ = new ChartWidget(this);
    chart_->setObjectName(QStringLiteral("chart"));
    markers_ = new QTreeWidget(this);
    markers_->setObjectName(QStringLiteral("lstMarkers"));
    markers_->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Kind"), QStringLiteral("Text")});
    markers_->setRootIsDecorated(false);
    markers_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    markers_->setFixedWidth(kMarkerListWidth);
    markers_->hide();
    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(chart_, 1);
    chartRow->addWidget(markers_);
    layout->addLayout(chartRow, 1);

    controls_ = new QWidget(this);
    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(0, 0, 0, 0);
    play_ = new QPushButton(QStringLiteral("&Play"), controls_);
    play_->setObjectName(QStringLiteral("cmdPlay"));
    step_ = new QPushButton(QStringLiteral("&Step"), controls_);
    step_->setObjectName(QStringLiteral("cmdStep"));
    speed_ = new QComboBox(controls_);
    speed_->setObjectName(QStringLiteral("cboSpeed"));
    for (const double speed : kPlaybackSpeeds) {
        speed_->addItem(QStringLiteral("%1\u00D7").arg(speed), speed);
    }
    speed_->setCurrentIndex(1);
    position_ = new QLabel(controls_);
    row->addWidget(play_);
    row->addWidget(step_);
    row->addWidget(new QLabel(QStringLiteral("Speed:"), controls_));
    row->addWidget(speed_);
    row->addWidget(position_, 1);
    // Only with a recording: the live chart has nothing to line runs up with.
    compare_ = new QPushButton(QStringLiteral("Compare With\u2026"), controls_);
    compare_->setObjectName(QStringLiteral("cmdCompare"));
    clearComparison_ = new QPushButton(QStringLiteral("Clear Comparison"), controls_);
    clearComparison_->setObjectName(QStringLiteral("cmdClearComparison"));
    clearComparison_->hide();
    row->addWidget(compare_);
    // Whose values the compared runs' differences are measured against.
    reference_ = new QComboBox(controls_);
    reference_->setObjectName(QStringLiteral("cboReference"));
    reference_->setToolTip(QStringLiteral("The run the differences are measured against"));
    // Long file names are cut rather than pushing the playback controls aside.
    reference_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    reference_->setMinimumContentsLength(kReferenceCharacters);
    reference_->hide();
    row->addWidget(reference_);
    row->addWidget(clearComparison_);
    layout->addWidget(controls_);
    controls_->hide();

    connect(play_, &QPushButton::clicked, this, [this] {
        if (driver_ == nullptr) {
            return;
        }
        driver_->playing() ? driver_->pause() : driver_->play();
    });
    connect(step_, &QPushButton::clicked, this, [this] {
        if (driver_ != nullptr) {
            driver_->step();
        }
    });
    connect(compare_, &QPushButton::clicked, this, &ChartWindow::compareRequested);
    connect(clearComparison_, &QPushButton::clicked, this,
            [this] { showComparison(QString(), {}, QString()); });
    connect(reference_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            chart_->setReferenceRun(static_cast<std::size_t>(index));
        }
    });
    connect(chart_, &ChartWidget::markersChanged, this, &ChartWindow::listMarkers);
    connect(chart_, &ChartWidget::gatheredMarkersClicked, markers_,
            qOverload<>(&QWidget::setFocus));
    connect(markers_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        // Found again by its time: live, rows that scroll out move every index.
        const double at = item->data(0, Qt::UserRole).toDouble();
        chart_->moveCursorTo(sampleAtOrBefore(chart_->series().times(), at));
    });
    connect(speed_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (driver_ != nullptr && index >= 0) {
            driver_->setSpeed(speed_->itemData(index).toDouble());
        }
    });
}

void ChartWindow::attachPlayback(PlaybackDriver* driver) {
    if (driver_ != nullptr) {
        disconnect(driver_, nullptr, this, nullptr);
        disconnect(chart_, &ChartWidget::cursorMoved, driver_, nullptr);
    }
    driver_ = driver;
    controls_->setVisible(driver != nullptr);
    if (driver == nullptr) {
        return;
    }
    driver->setSpeed(speed_->currentData().toDouble());
    auto showRow = [this](std::size_t row) {
        chart_->setCursorRow(row);
        position_->setText(QStringLiteral("Row %1 of %2").arg(row + 1).arg(driver_->rowCount()));
    };
    connect(driver, &PlaybackDriver::rowShown, this, showRow);
    connect(driver, &PlaybackDriver::playingChanged, this, &ChartWindow::showPlaying);
    connect(chart_, &ChartWidget::cursorMoved, driver, &PlaybackDriver::seek);
    showRow(driver->currentRow());
    showPlaying(driver->playing());
}

void ChartWindow::showComparison(const QString& firstName, std::vector<ChartOverlay> runs,
                                 const QString& alignment) {
    QStringList entries;
    if (!runs.empty()) {
        auto entry = [](const QColor& colour, const QString& text) {
            return QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                .arg(colour.name(), text.toHtmlEscaped());
        };
        entries << entry(runColour(0), firstName);
        for (std::size_t run = 0; run < runs.size(); ++run) {
            const double offset = runs[run].offset;
            entries << entry(runColour(run + 1),
                             QStringLiteral("%1 (%2%3 s)")
                                 .arg(runs[run].name, offset < 0 ? QString() : "+")
                                 .arg(offset, 0, 'f', 1));
        }
        entries << QStringLiteral("aligned %1").arg(alignment.toHtmlEscaped());
    }
    legend_->setText(entries.join(QStringLiteral("&nbsp;&nbsp;&nbsp; ")));
    legend_->setVisible(!runs.empty());
    clearComparison_->setVisible(!runs.empty());
    const QSignalBlocker quiet(reference_);
    reference_->clear();
    if (!runs.empty()) {
        reference_->addItem(QStringLiteral("Differences to %1").arg(firstName));
        for (const ChartOverlay& run : runs) {
            reference_->addItem(QStringLiteral("Differences to %1").arg(run.name));
        }
    }
    reference_->setVisible(!runs.empty());
    chart_->setOverlays(std::move(runs));
}

void ChartWindow::listMarkers() {
    markers_->clear();
    const RecordingColumns& series = chart_->series();
    for (const ColumnsMarker& marker : series.markers()) {
        const double at = series.times()[marker.row];
        auto* item = new QTreeWidgetItem(
            markers_, {elapsedClockText(at), markerKindText(marker.marker), marker.marker.text});
        item->setData(0, Qt::UserRole, at);
        item->setToolTip(2, marker.marker.text);
    }
    // Time and kind as wide as they need; the text takes the rest, its whole in a tool tip.
    markers_->resizeColumnToContents(0);
    markers_->resizeColumnToContents(1);
    markers_->setVisible(!series.markers().empty());
}

void ChartWindow::showPlaying(bool playing) {
    play_->setText(playing ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
}

void ChartWindow::keyPressEvent(QKeyEvent* event) {
    if (driver_ != nullptr && event->key() == Qt::Key_Space) {
        play_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ChartWindow::closeEvent(QCloseEvent* event) {
    if (driver_ != nullptr) {
        driver_->pause();
    }
    emit closed();
    event->accept();
}

}  // namespace quillmark
