// Dial tachometer in an octagonal frame, with mark zones and a digital read-out.
#include "widgets/gauges/DialGaugeWidget.h"

#include "widgets/gauges/GaugeGeometry.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace quillmark {

namespace {
// Octagon outline in per-mille of the width and height.
constexpr std::array<std::array<int, 2>, 8> kOutline{
    {{0, 100}, {100, 0}, {900, 0}, {1000, 100}, {1000, 900}, {900, 1000}, {100, 1000}, {0, 900}}};

constexpr QRgb kFace = qRgb(16, 16, 16);
constexpr QRgb kRim = qRgb(160, 160, 160);
constexpr QRgb kScale = qRgb(255, 255, 255);
constexpr QRgb kCaption = qRgb(255, 255, 0);
constexpr QRgb kNeedle = qRgb(0, 255, 64);
constexpr QRgb kHub = qRgb(128, 128, 128);
constexpr QRgb kReadoutText = qRgb(255, 255, 255);
constexpr QRgb kReadoutBox = qRgb(0, 0, 0);
constexpr QRgb kAlarm = qRgb(255, 0, 0);
constexpr double kAlarmFrameWidth = 3.0;

// Radial layout, in radii from the centre.
constexpr double kRadiusOfSize = 0.42;
constexpr double kTickInner = 0.86;
constexpr double kZoneRadius = 0.95;
constexpr double kZoneWidth = 0.10;
constexpr double kNumberRadius = 0.68;
constexpr double kNeedleTail = 0.12;
constexpr double kHubRadius = 0.07;
constexpr double kReadoutTop = 0.48;
constexpr double kReadoutWidth = 0.72;
constexpr double kReadoutHeight = 0.30;
constexpr double kNeedleWidth = 3.0;
// Space between the two captions and above the read-out, in logical pixels.
constexpr double kCaptionGap = 1.0;

QPointF polar(QPointF centre, double radius, double degrees) {
    const double radians = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(radius * std::cos(radians), -radius * std::sin(radians));
}
}  // namespace

DialGaugeWidget::DialGaugeWidget(QWidget* parent) : GaugeWidget(parent) {
    layOut();
}

QColor DialGaugeWidget::needleColour() {
    return QColor::fromRgb(kNeedle);
}

QFont DialGaugeWidget::captionFont() {
    return gaugeFont(12.0);
}

QFont DialGaugeWidget::readoutFont() {
    return gaugeFont(13.8);
}

void DialGaugeWidget::setValue(double thousandsRpm) {
    if (sameValue(thousandsRpm, value_)) {
        return;
    }
    value_ = thousandsRpm;
    placeNeedle();
}

void DialGaugeWidget::setCaption(const QString& readout) {
    if (readout == caption_) {
        return;
    }
    caption_ = readout;
    if (readoutShown()) {
        update(readoutRect_.toAlignedRect());
    }
}

void DialGaugeWidget::setAlarmShown(bool shown) {
    if (shown == alarmShown_) {
        return;
    }
    alarmShown_ = shown;
    update();
}

void DialGaugeWidget::setTachScaleMax(double top) {
    setScaleMember(scaleMax_, top);
}

void DialGaugeWidget::setTachMarkLow(double mark) {
    setScaleMember(markLow_, mark);
}

void DialGaugeWidget::setTachMarkHigh(double mark) {
    setScaleMember(markHigh_, mark);
}

void DialGaugeWidget::setScaleMember(double& member, double value) {
    // The program sets the same scale on every open; only a real change redraws the dial.
    if (sameValue(value, member)) {
        return;
    }
    member = value;
    scaleChanged();
}

void DialGaugeWidget::setTachDisplayCode(int code) {
    if (code == displayCode_) {
        return;
    }
    const bool wasShown = readoutShown();
    displayCode_ = code;
    if (wasShown != readoutShown()) {
        update(readoutRect_.toAlignedRect());
    }
}

void DialGaugeWidget::scaleChanged() {
    invalidateStaticLayers();
    placeNeedle();
    update();
}

void DialGaugeWidget::invalidateStaticLayers() {
    GaugeWidget::invalidateStaticLayers();
    numerals_.invalidate();
}

void DialGaugeWidget::layOut() {
    const double w = width();
    const double h = height();
    centre_ = QPointF(w / 2.0, h / 2.0);
    radius_ = kRadiusOfSize * std::min(w, h);
    readoutRect_ =
        QRectF(centre_.x() - kReadoutWidth * radius_ / 2.0, centre_.y() + kReadoutTop * radius_,
               kReadoutWidth * radius_, kReadoutHeight * radius_);
    layOutCaptions();
    const double angle = dialAngleDegrees(value_, scaleMax_);
    needleTip_ = polar(centre_, kNeedleLength * radius_, angle);
    needleTail_ = polar(centre_, kNeedleTail * radius_, angle + 180.0);
}

void DialGaugeWidget::layOutCaptions() {
    // The needle sweeps from lower left over the top to lower right, so only the sector below
    // the hub stays clear of it; the captions sit there, stacked on the read-out, with their
    // ink (not their line boxes) packed tight, since the sector narrows towards the hub.
    const QFontMetricsF metrics(captionFont(), this);
    double bottom = readoutRect_.top() - kCaptionGap;
    for (Caption* caption : {&thousandsCaption_, &rpmCaption_}) {
        const QRectF ink = metrics.tightBoundingRect(caption->text);
        caption->baseline =
            QPointF(centre_.x() - ink.width() / 2.0 - ink.left(), bottom - ink.bottom());
        caption->ink = ink.translated(caption->baseline);
        bottom = caption->ink.top() - kCaptionGap;
    }
}

QRectF DialGaugeWidget::needleBounds() const {
    const double hub = kHubRadius * radius_;
    const QRectF hubRect(centre_.x() - hub, centre_.y() - hub, 2.0 * hub, 2.0 * hub);
    const double margin = kNeedleWidth + 1.0;
    return QRectF(needleTip_, needleTail_)
        .normalized()
        .united(hubRect)
        .adjusted(-margin, -margin, margin, margin);
}

void DialGaugeWidget::placeNeedle() {
    const QPointF oldTip = needleTip_;
    const QRect before = needleBounds().toAlignedRect();
    layOut();
    if (needleTip_ == oldTip) {
        return;
    }
    update(before.united(needleBounds().toAlignedRect()));
}

void DialGaugeWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const qreal ratio = targetPixelRatio(painter);
    painter.drawPixmap(
        0, 0, staticLayer_.pixmap(size(), ratio, [this](QPainter& layer) { drawStatic(layer); }));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    if (readoutShown()) {
        painter.setFont(readoutFont());
        painter.setPen(QColor::fromRgb(alarmShown_ ? kAlarm : kReadoutText));
        painter.drawText(readoutRect_, Qt::AlignCenter, caption_);
    }

    painter.setPen(QPen(needleColour(), kNeedleWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(needleTail_, needleTip_);
    const double hub = kHubRadius * radius_;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kHub));
    painter.drawEllipse(centre_, hub, hub);

    // The numerals lie on the needle's path; drawn over it, the one it points at stays
    // readable, the top one included when the engine runs at full scale.
    painter.drawPixmap(
        0, 0, numerals_.pixmap(size(), ratio, [this](QPainter& layer) { drawNumerals(layer); }));

    if (alarmShown_) {
        painter.setPen(QPen(QColor::fromRgb(kAlarm), kAlarmFrameWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(outline());
    }
}

QPolygonF DialGaugeWidget::outline() const {
    const double w = width();
    const double h = height();
    QPolygonF points;
    for (const auto& point : kOutline) {
        points << QPointF(point[0] * (w - 1.0) / 1000.0 + 0.5, point[1] * (h - 1.0) / 1000.0 + 0.5);
    }
    return points;
}

void DialGaugeWidget::drawStatic(QPainter& painter) const {
    const double w = width();
    const double h = height();
    // The corners outside the octagon take the inherited palette's colour.
    painter.fillRect(QRectF(0, 0, w, h), palette().window());
    painter.setPen(QPen(QColor::fromRgb(kRim), 2.0));
    painter.setBrush(QColor::fromRgb(kFace));
    painter.drawPolygon(outline());

    const double r = radius_;
    const QRectF zoneRect(centre_.x() - kZoneRadius * r, centre_.y() - kZoneRadius * r,
                          2.0 * kZoneRadius * r, 2.0 * kZoneRadius * r);
    const auto drawZone = [&](double from, double to, QRgb colour) {
        if (!std::isfinite(from) || !std::isfinite(to) || !(to > from)) {
            return;
        }
        const double start = dialAngleDegrees(from, scaleMax_);
        const double end = dialAngleDegrees(to, scaleMax_);
        painter.setPen(QPen(QColor::fromRgb(colour), kZoneWidth * r, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(zoneRect, static_cast<int>(std::lround(start * 16.0)),
                        static_cast<int>(std::lround((end - start) * 16.0)));
    };
    drawZone(markLow_, markHigh_, kDialCautionZone);
    drawZone(markHigh_, scaleMax_, kDialRedZone);

    painter.setPen(QPen(QColor::fromRgb(kScale), 2.0, Qt::SolidLine, Qt::FlatCap));
    for (double tick : tickValues(0.0, scaleMax_, kDialScaleDivision)) {
        const double angle = dialAngleDegrees(tick, scaleMax_);
        painter.drawLine(polar(centre_, kTickInner * r, angle), polar(centre_, r, angle));
    }

    painter.setFont(captionFont());
    painter.setPen(QColor::fromRgb(kCaption));
    for (const Caption* caption : {&rpmCaption_, &thousandsCaption_}) {
        painter.drawText(caption->baseline, caption->text);
    }

    painter.setPen(QPen(QColor::fromRgb(kRim), 1.0));
    painter.setBrush(QColor::fromRgb(kReadoutBox));
    painter.drawRect(readoutRect_);
}

void DialGaugeWidget::drawNumerals(QPainter& painter) const {
    const QFont font = captionFont();
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kScale));
    const QFontMetricsF metrics(font, painter.device());
    const double textHeight = metrics.height();
    const double textWidth = metrics.horizontalAdvance(QStringLiteral("00"));
    for (double tick : tickValues(0.0, scaleMax_, kDialScaleDivision)) {
        const QPointF at =
            polar(centre_, kNumberRadius * radius_, dialAngleDegrees(tick, scaleMax_));
        painter.drawText(
            QRectF(at.x() - textWidth, at.y() - textHeight / 2.0, 2.0 * textWidth, textHeight),
            Qt::AlignCenter, QString::number(tick, 'g', 6));
    }
}

}  // namespace quillmark
