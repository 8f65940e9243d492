// Vertical bar gauge: segmented linear scale, coloured bands and a pointer.
#pragma once

#include "platform/Gauges.h"
#include "widgets/gauges/GaugeGeometry.h"
#include "widgets/gauges/GaugeWidget.h"

#include <QRectF>
#include <QString>

namespace quillmark {

class BarGaugeWidget final : public GaugeWidget, public BarGauge {
    Q_OBJECT

public:
    explicit BarGaugeWidget(const BarGaugeDesign& design, QWidget* parent = nullptr);

    void setPointerValue(double value) override;
    void setPointerScale(int segment) override;
    void setGaugeVisible(bool visible) override;

    // In alarm: a red frame, and this text (the value) in red in place of the label; empty for
    // the gauge as it always is.
    void setAlarmCaption(const QString& text);
    QString alarmCaption() const { return alarmCaption_; }

    double pointerValue() const { return value_; }
    int pointerScale() const { return segment_; }
    // Where the pointer tip is drawn, as a fraction of the length from the top.
    double pointerYFraction() const;

    static QFont textFont();
    static QColor pointerColour();
    static QColor faceColour();

    // Horizontal layout, in fractions of the width.
    static constexpr double kBandLeft = 0.85;
    static constexpr double kBandWidth = 0.15;
    static constexpr double kTickLeft = 0.66;
    static constexpr double kNumberRight = 0.62;
    static constexpr double kLabelY = 0.04;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The pointer is the only part that moves.
    void layOut() override { placePointer(); }

private:
    void placePointer();
    QRectF pointerBounds() const;
    void drawStatic(QPainter& painter, qreal devicePixelRatio) const;
    void drawAlarm(QPainter& painter) const;

    BarGaugeDesign design_;
    double value_ = 0.0;
    int segment_ = 0;
    double pointerY_ = 0.0;
    QString alarmCaption_;
};

}  // namespace quillmark
