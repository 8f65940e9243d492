// Pixmap cache of a gauge's unchanging parts.
#include "widgets/gauges/StaticLayer.h"

#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quillmark {

const QPixmap& StaticLayer::pixmap(QSize logicalSize, qreal devicePixelRatio,
                                   const DrawFunction& draw) {
    if (!pixmap_.isNull() && logicalSize == logicalSize_ && devicePixelRatio == ratio_) {
        return pixmap_;
    }
    logicalSize_ = logicalSize;
    ratio_ = devicePixelRatio;
    const QSize deviceSize(static_cast<int>(std::ceil(logicalSize.width() * devicePixelRatio)),
                           static_cast<int>(std::ceil(logicalSize.height() * devicePixelRatio)));
    pixmap_ = QPixmap(deviceSize.expandedTo(QSize(1, 1)));
    pixmap_.setDevicePixelRatio(devicePixelRatio);
    pixmap_.fill(Qt::transparent);
    QPainter painter(&pixmap_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter);
    ++builds_;
    return pixmap_;
}

bool changesStaticLayer(const QEvent& event) {
    return event.type() == QEvent::FontChange || event.type() == QEvent::PaletteChange ||
           event.type() == QEvent::StyleChange;
}

qreal targetPixelRatio(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine != nullptr && engine->paintDevice() != nullptr
                                     ? engine->paintDevice()
                                     : painter.device();
    return device->devicePixelRatioF();
}

QRectF snapToDevicePixels(const QRectF& rect, qreal devicePixelRatio) {
    const auto snap = [devicePixelRatio](qreal v) {
        return std::round(v * devicePixelRatio) / devicePixelRatio;
    };
    const qreal left = snap(rect.left());
    const qreal top = snap(rect.top());
    // A mark never vanishes: it keeps at least one device pixel in each direction.
    const qreal minimum = 1.0 / devicePixelRatio;
    const qreal right = std::max(snap(rect.right()), left + minimum);
    const qreal bottom = std::max(snap(rect.bottom()), top + minimum);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

}  // namespace quillmark
