// What the bar and the dial share: an opaque widget over a cached static layer, laid out again
// on resize and redrawn when a font, palette or style change alters that layer.
#pragma once

#include "widgets/gauges/StaticLayer.h"

#include <QFont>
#include <QWidget>

namespace quillmark {

class GaugeWidget : public QWidget {
    Q_OBJECT

public:
    int staticLayerBuilds() const { return staticLayer_.buildCount(); }

protected:
    explicit GaugeWidget(QWidget* parent);

    // The gauges' lettering: bold, in the size given.
    static QFont gaugeFont(double pointSize);

    // Works the moving parts out again for the current size.
    virtual void layOut() = 0;
    // A gauge with more than one cached layer drops them all here.
    virtual void invalidateStaticLayers() { staticLayer_.invalidate(); }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    StaticLayer staticLayer_;
};

}  // namespace quillmark
