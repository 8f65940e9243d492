#include "widgets/cells/TimeAtCellWidget.h"

#include "analysis/ChartMapping.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quillmark {

namespace {

constexpr double kRowCaptionWidth = 96.0;
constexpr double kColumnCaptionHeight = 24.0;
constexpr double kMargin = 4.0;
constexpr double kCellPadding = 6.0;
constexpr double kSecondsPerMinute = 60.0;

// From pale yellow for a little time to deep red for the most, as heat maps commonly run.
QColor heat(double share) {
    const double hue = (1.0 - share) * 55.0 / 360.0;
    return QColor::fromHsvF(static_cast<float>(hue), static_cast<float>(0.25 + 0.75 * share),
                            static_cast<float>(1.0 - 0.25 * share));
}

const CellQuantity& quantityDesign(Quantity quantity) {
    for (const CellQuantity& design : kCellQuantities) {
        if (design.quantity == quantity) {
            return design;
        }
    }
    return kCellQuantities.front();
}

}  // namespace

QString cellTimeText(double seconds) {
    if (seconds < kSecondsPerMinute) {
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    }
    return elapsedClockText(seconds);
}

TimeAtCellWidget::TimeAtCellWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(560, 200);
}

void TimeAtCellWidget::showGrid(const TimeAtCellGrid& grid) {
    grid_ = grid;
    // Room in every cell for its time and mean on two lines; the window grows to it.
    const double cellHeight = 2.0 * QFontMetricsF(font()).height() + kCellPadding;
    setMinimumHeight(
        static_cast<int>(std::ceil(kColumnCaptionHeight + kMargin + shownRows() * cellHeight)));
    update();
}

void TimeAtCellWidget::choose(std::optional<CellPlace> place) {
    if (place == chosen_) {
        return;
    }
    chosen_ = place;
    update();
    emit chosenChanged();
}

int TimeAtCellWidget::shownRows() const {
    return grid_.usedSpeedRows();
}

QRectF TimeAtCellWidget::gridArea() const {
    return QRectF(kRowCaptionWidth, kColumnCaptionHeight, width() - kRowCaptionWidth - kMargin,
                  height() - kColumnCaptionHeight - kMargin);
}

QRectF TimeAtCellWidget::cellRect(const CellPlace& place) const {
    const QRectF area = gridArea();
    const double cellWidth = area.width() / kCellThrottleColumns;
    const double cellHeight = area.height() / shownRows();
    return QRectF(area.left() + place.throttleColumn * cellWidth,
                  area.top() + place.speedRow * cellHeight, cellWidth, cellHeight);
}

void TimeAtCellWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRectF area = gridArea();
    const QFontMetricsF metrics(font());
    painter.setPen(palette().text().color());
    painter.drawText(QRectF(0, 0, kRowCaptionWidth, kColumnCaptionHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("rpm \\ throttle"));
    for (int column = 0; column < kCellThrottleColumns; ++column) {
        const QRectF cell = cellRect({0, column});
        painter.drawText(QRectF(cell.left(), 0, cell.width(), kColumnCaptionHeight),
                         Qt::AlignCenter, throttleColumnCaption(column));
    }
    const CellQuantity& design = quantityDesign(grid_.averaged());
    const bool twoLines = cellRect({0, 0}).height() >= 2.0 * metrics.height() + 2.0;
    for (int row = 0; row < shownRows(); ++row) {
        const QRectF first = cellRect({row, 0});
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(0, first.top(), kRowCaptionWidth - kMargin, first.height()),
                         Qt::AlignRight | Qt::AlignVCenter, speedRowCaption(row));
        for (int column = 0; column < kCellThrottleColumns; ++column) {
            const CellPlace place{row, column};
            const QRectF cell = cellRect(place);
            const CellTotals& totals = grid_.cell(place);
            if (totals.samples > 0 && grid_.mostSeconds() > 0.0) {
                const QColor shade = heat(totals.seconds / grid_.mostSeconds());
                painter.fillRect(cell, shade);
                painter.setPen(shade.lightnessF() < 0.5 ? Qt::white : Qt::black);
                QString text = cellTimeText(totals.seconds);
                if (const auto mean = totals.mean(); mean && twoLines) {
                    text += QLatin1Char('\n') + QString::number(*mean, 'f', design.decimals);
                }
                painter.drawText(cell, Qt::AlignCenter, text);
            }
            painter.setPen(palette().mid().color());
            painter.drawRect(cell);
        }
    }
    if (chosen_ && chosen_->speedRow < shownRows()) {
        painter.setPen(QPen(palette().highlight().color(), 3.0));
        painter.drawRect(cellRect(*chosen_).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    painter.setPen(palette().text().color());
    painter.drawRect(area);
}

void TimeAtCellWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QRectF area = gridArea();
    const QPointF at = event->position();
    if (!area.contains(at)) {
        return;
    }
    const int column =
        std::min(kCellThrottleColumns - 1,
                 static_cast<int>((at.x() - area.left()) / area.width() * kCellThrottleColumns));
    const int row = std::min(shownRows() - 1,
                             static_cast<int>((at.y() - area.top()) / area.height() * shownRows()));
    const CellPlace place{row, column};
    choose(chosen_ == place ? std::nullopt : std::optional(place));
}

}  // namespace quillmark
