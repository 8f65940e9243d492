// Renders a gauge into an image and reads colours at logical coordinates.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cmath>
#include <cstdlib>

namespace quillmark::probe {

inline QImage render(QWidget& widget, QSize size, qreal ratio) {
    widget.resize(size);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

inline QColor at(const QImage& image, double x, double y) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::floor(x * ratio)),
                            static_cast<int>(std::floor(y * ratio)));
}

inline bool near(const QColor& actual, const QColor& expected, int tolerance = 24) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

inline bool isWhite(const QColor& colour) {
    return colour.red() > 200 && colour.green() > 200 && colour.blue() > 200;
}

}  // namespace quillmark::probe
