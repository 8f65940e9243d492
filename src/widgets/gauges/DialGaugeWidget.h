// Dial tachometer in an octagonal frame, with mark zones and a digital read-out.
#pragma once

#include "platform/Gauges.h"
#include "widgets/gauges/GaugeWidget.h"

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

namespace quillmark {

class DialGaugeWidget final : public GaugeWidget, public DialGauge {
    Q_OBJECT

public:
    explicit DialGaugeWidget(QWidget* parent = nullptr);

    void setValue(double thousandsRpm) override;
    void setCaption(const QString& readout) override;
    void setTachScaleMax(double top) override;
    void setTachMarkLow(double mark) override;
    void setTachMarkHigh(double mark) override;
    void setTachDisplayCode(int code) override;

    // In alarm: the frame and the read-out in red.
    void setAlarmShown(bool shown);
    bool alarmShown() const { return alarmShown_; }

    double value() const { return value_; }
    QString caption() const { return caption_; }
    double tachScaleMax() const { return scaleMax_; }
    double tachMarkLow() const { return markLow_; }
    double tachMarkHigh() const { return markHigh_; }
    bool readoutShown() const { return displayCode_ == kTachShowsReadout; }

    // Layout in logical pixels, for the current size.
    QPointF centre() const { return centre_; }
    double radius() const { return radius_; }
    QRectF readoutRect() const { return readoutRect_; }
    // Where the ink of the "RPM" and "x 1000" captions lies.
    QRectF rpmCaptionRect() const { return rpmCaption_.ink; }
    QRectF thousandsCaptionRect() const { return thousandsCaption_.ink; }

    static QColor needleColour();
    static QFont captionFont();
    static QFont readoutFont();

    // The needle reaches this far out, in radii.
    static constexpr double kNeedleLength = 0.86;

protected:
    void paintEvent(QPaintEvent* event) override;
    void layOut() override;
    void invalidateStaticLayers() override;

private:
    void layOutCaptions();
    void placeNeedle();
    QRectF needleBounds() const;
    void setScaleMember(double& member, double value);
    void scaleChanged();
    void drawStatic(QPainter& painter) const;
    void drawNumerals(QPainter& painter) const;
    QPolygonF outline() const;

    struct Caption {
        QString text;
        QPointF baseline;
        QRectF ink;
    };

    double value_ = 0.0;
    QString caption_ = QStringLiteral("0");
    double scaleMax_ = 8.0;
    double markLow_ = 5.7;
    double markHigh_ = 6.0;
    // The program writes 3 after every value, so the read-out starts shown.
    int displayCode_ = kTachShowsReadout;

    QPointF centre_;
    double radius_ = 0.0;
    QRectF readoutRect_;
    Caption rpmCaption_{QStringLiteral("RPM"), {}, {}};
    Caption thousandsCaption_{QStringLiteral("x 1000"), {}, {}};
    QPointF needleTip_;
    QPointF needleTail_;
    StaticLayer numerals_;
    bool alarmShown_ = false;
};

}  // namespace quillmark
