#include "realtime/chart/ChartWindow.h"

#include "realtime/chart/ChartWidget.h"
#include "realtime/playback/PlaybackDriver.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace quillmark {

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QString::fromLatin1(kChartTitle));
    resize(900, 640);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    chart_ = new ChartWidget(this);
    chart_->setObjectName(QStringLiteral("chart"));
    layout->addWidget(chart_, 1);

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
