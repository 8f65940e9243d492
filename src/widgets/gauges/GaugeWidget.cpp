// What the bar and the dial share.
#include "widgets/gauges/GaugeWidget.h"

#include <QEvent>

namespace quillmark {

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {
    // Each gauge fills its whole rectangle, so the panel never repaints behind a moving pointer.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont GaugeWidget::gaugeFont(double pointSize) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

void GaugeWidget::resizeEvent(QResizeEvent* event) {
    invalidateStaticLayers();
    layOut();
    QWidget::resizeEvent(event);
}

void GaugeWidget::changeEvent(QEvent* event) {
    if (changesStaticLayer(*event)) {
        invalidateStaticLayers();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace quillmark
