// The two model set-ups of the panel with typical running values, for pictures and timing.
#pragma once

#include "widgets/gauges/RealTimePanelWidget.h"

#include <QFont>
#include <QImage>
#include <array>

namespace quillmark::scenes {

struct PanelScene {
    const char* fileStem = "";
    bool retardShown = false;
    double scaleMax = 8.0;
    double markHigh = 6.0;
    double markLow = 5.7;
    double rpm = 0.0;
};

inline constexpr std::array<PanelScene, 2> kScenes{{
    {"corvane-ii", false, 8.0, 6.0, 5.7, 3250.0},
    {"corvane-ii-vr", true, 10.0, 9.5, 9.0, 7969.0},
}};

// The font the main window gives every control without one of its own.
inline QFont windowFont() {
    QFont font(QStringLiteral("System"));
    font.setPointSizeF(9.6);
    font.setBold(true);
    return font;
}

// Set up the way the open operation and one polling tick would leave the panel.
inline void applyScene(RealTimePanelWidget& panel, const PanelScene& scene) {
    panel.setFont(windowFont());
    panel.resize(panel.sizeHint());
    panel.gauRetard().setGaugeVisible(scene.retardShown);
    panel.gauTach().setTachMarkLow(scene.markLow);
    panel.gauTach().setTachMarkHigh(scene.markHigh);
    panel.gauTach().setTachScaleMax(scene.scaleMax);
    panel.setStatusText(QStringLiteral("Engine Running\r\nAdvanced Mode"));
    panel.gauTPS().setPointerScale(2);
    panel.gauTPS().setPointerValue(35.0);
    panel.gauFuelMult1().setPointerValue(-8.0);
    panel.gauFuelMult2().setPointerValue(27.0);
    panel.gauBatVolts().setPointerValue(13.8);
    panel.gauTach().setValue(scene.rpm / 1000.0);
    panel.gauTach().setTachDisplayCode(kTachShowsReadout);
    panel.gauTach().setCaption(QString::number(scene.rpm, 'f', 0));
    panel.gauInj1PW().setPointerScale(0);
    panel.gauInj1PW().setPointerValue(4.2);
    panel.gauInj2PW().setPointerScale(1);
    panel.gauInj2PW().setPointerValue(12.5);
    panel.gauRetard().setPointerValue(3.0);
}

inline QImage renderPanel(RealTimePanelWidget& panel, qreal ratio) {
    QImage image(panel.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    panel.render(&image);
    return image;
}

}  // namespace quillmark::scenes
