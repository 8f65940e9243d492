// Vertical bar gauge: segmented linear scale, coloured bands and a pointer.
#include "widgets/gauges/BarGaugeWidget.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <cmath>

namespace quillmark {

namespace {
constexpr QRgb kFace = qRgb(72, 72, 72);
constexpr QRgb kBevelLight = qRgb(140, 140, 140);
constexpr QRgb kBevelDark = qRgb(24, 24, 24);
constexpr QRgb kPointer = qRgb(0, 255, 64);
constexpr QRgb kScaleText = qRgb(255, 255, 255);
constexpr double kPointerBase = 0.64;  // of the width: clear of the numbers, which end at 0.62
constexpr double kPointerHalfHeight = 0.018;  // of the length
constexpr double kMinPointerHalfHeight = 3.0;
constexpr QRgb kAlarm = qRgb(255, 0, 0);
constexpr double kAlarmFrameWidth = 2.0;
}  // namespace

BarGaugeWidget::BarGaugeWidget(const BarGaugeDesign& design, QWidget* parent)
    : GaugeWidget(parent), design_(design) {
    placePointer();
}

QFont BarGaugeWidget::textFont() {
    return gaugeFont(7.8);
}

QColor BarGaugeWidget::pointerColour() {
    return QColor::fromRgb(kPointer);
}
QColor BarGaugeWidget::faceColour() {
    return QColor::fromRgb(kFace);
}

void BarGaugeWidget::setPointerValue(double value) {
    if (sameValue(value, value_)) {
        return;
    }
    value_ = value;
    placePointer();
}

void BarGaugeWidget::setPointerScale(int segment) {
    const int clamped = clampSegmentIndex(segment, design_.segments.size());
    if (clamped == segment_) {
        return;
    }
    segment_ = clamped;
    placePointer();
}

void BarGaugeWidget::setAlarmCaption(const QString& text) {
    if (text == alarmCaption_) {
        return;
    }
    alarmCaption_ = text;
    update();
}

void BarGaugeWidget::setGaugeVisible(bool visible) {
    setVisible(visible);
}

double BarGaugeWidget::pointerYFraction() const {
    if (design_.segments.empty()) {
        return 1.0;
    }
    return segmentYFraction(design_.segments[static_cast<std::size_t>(segment_)], value_);
}

QRectF BarGaugeWidget::pointerBounds() const {
    const double half = std::max(kMinPointerHalfHeight, kPointerHalfHeight * height());
    return QRectF(kPointerBase * width() - 1.0, pointerY_ - half - 1.0, width(), 2.0 * half + 2.0);
}

void BarGaugeWidget::placePointer() {
    const double y = pointerYFraction() * height();
    if (y == pointerY_) {
        return;
    }
    const QRect before = pointerBounds().toAlignedRect();
    pointerY_ = y;
    update(before.united(pointerBounds().toAlignedRect()));
}

void BarGaugeWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const qreal ratio = targetPixelRatio(painter);
    painter.drawPixmap(0, 0, staticLayer_.pixmap(size(), ratio, [this, ratio](QPainter& layer) {
        drawStatic(layer, ratio);
    }));

    const double w = width();
    const double half = std::max(kMinPointerHalfHeight, kPointerHalfHeight * height());
    const double tip = kBandLeft * w;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pointerColour());
    painter.drawPolygon(
        QPolygonF({QPointF(kPointerBase * w, pointerY_ - half), QPointF(tip, pointerY_),
                   QPointF(kPointerBase * w, pointerY_ + half)}));
    // A hairline across the band shows exactly where the value lies against the colours.
    painter.fillRect(snapToDevicePixels(QRectF(tip, pointerY_ - 0.5, w - tip, 1.0), ratio),
                     pointerColour());
    if (!alarmCaption_.isEmpty()) {
        drawAlarm(painter);
    }
}

void BarGaugeWidget::drawAlarm(QPainter& painter) const {
    const double w = width();
    const double h = height();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double half = kAlarmFrameWidth / 2.0;
    painter.setPen(QPen(QColor::fromRgb(kAlarm), kAlarmFrameWidth, Qt::SolidLine, Qt::SquareCap,
                        Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(half, half, w - kAlarmFrameWidth, h - kAlarmFrameWidth));

    // The value covers the label, where the eye looks for the gauge's name; on black, as the
    // dial's read-out, so that the red reads at this size.
    const QFont font = textFont();
    painter.setFont(font);
    const double textHeight = QFontMetricsF(font, painter.device()).height();
    const QRectF row(kAlarmFrameWidth, kLabelY * h - textHeight / 2.0, w - 2.0 * kAlarmFrameWidth,
                     textHeight);
    painter.fillRect(row, Qt::black);
    painter.setPen(QColor::fromRgb(kAlarm));
    painter.drawText(row, Qt::AlignCenter, alarmCaption_);
}

void BarGaugeWidget::drawStatic(QPainter& painter, qreal ratio) const {
    const double w = width();
    const double h = height();
    painter.fillRect(QRectF(0, 0, w, h), QColor::fromRgb(kFace));
    const double edge = 1.0;
    painter.fillRect(snapToDevicePixels(QRectF(0, 0, w, edge), ratio),
                     QColor::fromRgb(kBevelLight));
    painter.fillRect(snapToDevicePixels(QRectF(0, 0, edge, h), ratio),
                     QColor::fromRgb(kBevelLight));
    painter.fillRect(snapToDevicePixels(QRectF(0, h - edge, w, edge), ratio),
                     QColor::fromRgb(kBevelDark));
    painter.fillRect(snapToDevicePixels(QRectF(w - edge, 0, edge, h), ratio),
                     QColor::fromRgb(kBevelDark));

    for (const ScaleBand& band : design_.bands) {
        if (band.segment < 0 || static_cast<std::size_t>(band.segment) >= design_.segments.size()) {
            continue;
        }
        const ScaleSegment& segment = design_.segments[static_cast<std::size_t>(band.segment)];
        const double top = segmentYFraction(segment, band.high) * h;
        const double bottom = segmentYFraction(segment, band.low) * h;
        painter.fillRect(
            snapToDevicePixels(QRectF(kBandLeft * w, top, kBandWidth * w, bottom - top), ratio),
            QColor::fromRgb(band.colour));
    }

    const QFont font = textFont();
    painter.setFont(font);
    const double textHeight = QFontMetricsF(font, painter.device()).height();
    painter.setPen(QColor::fromRgb(kScaleText));
    // Adjacent segments share their boundary value; it is drawn once.
    std::vector<double> drawnRows;
    for (const ScaleSegment& segment : design_.segments) {
        for (double tick : tickValues(segment.tickFrom, segment.tickTo, segment.tickStep)) {
            const double y = segmentYFraction(segment, tick) * h;
            const bool drawn = std::any_of(drawnRows.begin(), drawnRows.end(),
                                           [y](double row) { return std::abs(row - y) < 0.5; });
            if (drawn) {
                continue;
            }
            drawnRows.push_back(y);
            painter.fillRect(
                snapToDevicePixels(QRectF(kTickLeft * w, y - 0.5, (kBandLeft - kTickLeft) * w, 1.0),
                                   ratio),
                QColor::fromRgb(kScaleText));
            painter.drawText(QRectF(0, y - textHeight / 2.0, kNumberRight * w, textHeight),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(tick, 'g', 6));
        }
    }

    painter.setPen(QColor::fromRgb(design_.labelColour));
    painter.drawText(QRectF(0, kLabelY * h - textHeight / 2.0, w, textHeight), Qt::AlignCenter,
                     QString::fromUtf8(design_.label));
}

}  // namespace quillmark
