// Paint cost of the real-time panel: everything from scratch against one pointer moved.
#include "PanelScenes.h"

#include <QApplication>
#include <QEvent>
#include <QTest>

using namespace quillmark;

namespace {
// Every gauge throws its static layer away on a style change.
void dropStaticLayers(RealTimePanelWidget& panel) {
    const auto gauges = panel.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^gau")));
    for (QWidget* gauge : gauges) {
        QEvent styleChange(QEvent::StyleChange);
        QCoreApplication::sendEvent(gauge, &styleChange);
    }
}
}  // namespace

class GaugePaintBench final : public QObject {
    Q_OBJECT

private slots:
    void fullPanelPaintFromEmptyCache() {
        RealTimePanelWidget panel;
        scenes::applyScene(panel, scenes::kScenes[1]);
        QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
        QBENCHMARK {
            dropStaticLayers(panel);
            panel.render(&image);
        }
    }

    void fullPanelPaintAfterOnePointerChange() {
        RealTimePanelWidget panel;
        scenes::applyScene(panel, scenes::kScenes[1]);
        QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
        panel.render(&image);
        double throttle = 35.0;
        QBENCHMARK {
            throttle = throttle == 35.0 ? 36.0 : 35.0;
            panel.gauTPS().setPointerValue(throttle);
            panel.render(&image);
        }
    }

    // What the screen actually repaints: the one gauge whose pointer moved.
    void changedGaugeRepaint() {
        RealTimePanelWidget panel;
        scenes::applyScene(panel, scenes::kScenes[1]);
        auto* throttleGauge = panel.findChild<QWidget*>(QStringLiteral("gauTPS"));
        QVERIFY(throttleGauge);
        QImage image(throttleGauge->size(), QImage::Format_ARGB32_Premultiplied);
        throttleGauge->render(&image);
        double throttle = 35.0;
        QBENCHMARK {
            throttle = throttle == 35.0 ? 36.0 : 35.0;
            panel.gauTPS().setPointerValue(throttle);
            throttleGauge->render(&image);
        }
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    GaugePaintBench bench;
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.contains(QStringLiteral("-median"))) {
        arguments << QStringLiteral("-median") << QStringLiteral("9");
    }
    return QTest::qExec(&bench, arguments);
}

#include "GaugePaintBench.moc"
