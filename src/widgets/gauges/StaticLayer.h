// Pixmap cache of a gauge's unchanging parts, kept per logical size and device pixel ratio.
#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <functional>

class QEvent;
class QPainter;

namespace quillmark {

class StaticLayer final {
public:
    using DrawFunction = std::function<void(QPainter&)>;

    // Redraws through draw only when the size or pixel ratio differs from the cached one or
    // the cache was invalidated; draw paints in logical coordinates.
    const QPixmap& pixmap(QSize logicalSize, qreal devicePixelRatio, const DrawFunction& draw);
    void invalidate() { pixmap_ = QPixmap(); }
    int buildCount() const { return builds_; }

private:
    QPixmap pixmap_;
    QSize logicalSize_;
    qreal ratio_ = 0.0;
    int builds_ = 0;
};

// Font, palette and style changes alter what a static layer shows, so it is drawn again.
bool changesStaticLayer(const QEvent& event);

// Pixel ratio of what the painter really draws on; a widget rendered into an image reports
// its screen's ratio, not the image's.
qreal targetPixelRatio(const QPainter& painter);

// Edges rounded to whole device pixels, so thin marks stay sharp at fractional ratios.
QRectF snapToDevicePixels(const QRectF& rect, qreal devicePixelRatio);

}  // namespace quillmark
