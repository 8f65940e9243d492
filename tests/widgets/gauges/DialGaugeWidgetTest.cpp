// The tachometer drawn into images: needle angle, mark zones and the digital read-out.
#include "DataColumns.h"
#include "GaugeImageProbe.h"
#include "widgets/gauges/DialGaugeWidget.h"

#include <QTest>
#include <limits>
#include <numbers>

using namespace quillmark;
using quillmark::test::columns;

namespace {
// The size of a 3972 x 3732 twips dial at 96 dots per inch.
const QSize kDesignSize(265, 249);

QPointF along(const DialGaugeWidget& dial, double radii, double degrees) {
    const double radians = degrees * std::numbers::pi / 180.0;
    return dial.centre() + QPointF(radii * dial.radius() * std::cos(radians),
                                   -radii * dial.radius() * std::sin(radians));
}

bool needleAt(const QImage& image, const DialGaugeWidget& dial, double radii, double degrees) {
    const QPointF p = along(dial, radii, degrees);
    return probe::near(probe::at(image, p.x(), p.y()), DialGaugeWidget::needleColour(), 60);
}

template <typename Test>
int pixelsIn(const QImage& image, const QRectF& area, int inset, Test test) {
    int count = 0;
    const qreal ratio = image.devicePixelRatio();
    const QRect device(QPoint(int(area.left() * ratio), int(area.top() * ratio)),
                       QPoint(int(area.right() * ratio), int(area.bottom() * ratio)));
    for (int y = device.top() + inset; y < device.bottom() - inset; ++y) {
        for (int x = device.left() + inset; x < device.right() - inset; ++x) {
            count += test(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

int whitePixelsIn(const QImage& image, const QRectF& area) {
    return pixelsIn(image, area, 2, probe::isWhite);
}
}  // namespace

class DialGaugeWidgetTest final : public QObject {
    Q_OBJECT

private slots:
    void needleAngle_data() {
        columns<double, double, double, qreal>("scaleMax", "value", "degrees", "ratio");
        QTest::newRow("7969 rpm on 0-8") << 8.0 << 7.969 << -43.95 << 1.0;
        QTest::newRow("7969 rpm on 0-8 at 2x") << 8.0 << 7.969 << -43.95 << 2.0;
        QTest::newRow("9 on 0-10") << 10.0 << 9.0 << -18.0 << 1.0;
        QTest::newRow("9 on 0-10 at 1.5x") << 10.0 << 9.0 << -18.0 << 1.5;
        QTest::newRow("beyond the scale") << 8.0 << 12.0 << -45.0 << 1.0;
        QTest::newRow("nan rests at zero")
            << 8.0 << std::numeric_limits<double>::quiet_NaN() << 225.0 << 1.0;
    }

    void needleAngle() {
        QFETCH(double, scaleMax);
        QFETCH(double, value);
        QFETCH(double, degrees);
        QFETCH(qreal, ratio);
        DialGaugeWidget dial;
        dial.resize(kDesignSize);
        dial.setTachScaleMax(scaleMax);
        dial.setValue(value);
        const QImage image = probe::render(dial, kDesignSize, ratio);
        for (double radii : {0.3, 0.55, 0.8}) {
            QVERIFY2(needleAt(image, dial, radii, degrees), qPrintable(QString::number(radii)));
        }
        QVERIFY(!needleAt(image, dial, 0.6, degrees + 10.0));
        QVERIFY(!needleAt(image, dial, 0.6, degrees - 10.0));
    }

    void markZones_data() {
        columns<double, double, double>("scaleMax", "low", "high");
        QTest::newRow("Corvane II") << 8.0 << 5.7 << 6.0;
        QTest::newRow("Corvane II VR") << 10.0 << 9.0 << 9.5;
    }

    void markZones() {
        QFETCH(double, scaleMax);
        QFETCH(double, low);
        QFETCH(double, high);
        DialGaugeWidget dial;
        dial.resize(kDesignSize);
        dial.setTachMarkLow(low);
        dial.setTachMarkHigh(high);
        dial.setTachScaleMax(scaleMax);
        const QImage image = probe::render(dial, kDesignSize, 1.0);
        const auto colourAt = [&](double value) {
            const QPointF p = along(dial, 0.95, 225.0 - 270.0 * value / scaleMax);
            return probe::at(image, p.x(), p.y());
        };
        const QColor caution(255, 200, 0);
        const QColor red(220, 0, 0);
        QVERIFY(probe::near(colourAt((low + high) / 2.0), caution));
        // Between two division ticks, which are drawn over the zone.
        QVERIFY(probe::near(colourAt(high + 0.3 * (scaleMax - high)), red));
        const QColor belowMarks = colourAt(low - 0.4);
        QVERIFY(!probe::near(belowMarks, caution) && !probe::near(belowMarks, red));
    }

    void needleNeverCrossesTheCaptions_data() {
        columns<double, qreal>("scaleMax", "ratio");
        QTest::newRow("0-8") << 8.0 << 1.0;
        QTest::newRow("0-10 at 2x") << 10.0 << 2.0;
    }

    void needleNeverCrossesTheCaptions() {
        QFETCH(double, scaleMax);
        QFETCH(qreal, ratio);
        DialGaugeWidget dial;
        dial.resize(kDesignSize);
        dial.setTachScaleMax(scaleMax);
        const auto needle = [](const QColor& c) {
            return c.green() > 2 * c.red() + 40 && c.green() > 2 * c.blue() + 40;
        };
        const auto yellow = [](const QColor& c) { return probe::near(c, QColor(255, 255, 0), 60); };
        for (int step = 0; step <= 40; ++step) {
            dial.setValue(scaleMax * step / 40.0);
            const QImage image = probe::render(dial, kDesignSize, ratio);
            for (const QRectF& caption : {dial.rpmCaptionRect(), dial.thousandsCaptionRect()}) {
                QVERIFY2(pixelsIn(image, caption.adjusted(-1, -1, 1, 1), 0, needle) == 0,
                         qPrintable(QStringLiteral("needle at %1 crosses a caption")
                                        .arg(scaleMax * step / 40.0)));
                QVERIFY(pixelsIn(image, caption, 0, yellow) > 10);
            }
            QVERIFY(!dial.rpmCaptionRect().intersects(dial.readoutRect()));
            QVERIFY(!dial.thousandsCaptionRect().intersects(dial.readoutRect()));
        }
        // At full scale the needle lies on the top numeral, which stays readable over it.
        const QPointF top = along(dial, 0.68, -45.0);
        const QRectF numeral(top - QPointF(8, 8), top + QPointF(8, 8));
        QVERIFY(whitePixelsIn(probe::render(dial, kDesignSize, ratio), numeral) > 10);
    }

    void readoutShowsTheCaption() {
        DialGaugeWidget dial;
        dial.resize(kDesignSize);
        const auto readoutWhite = [&dial] {
            const QImage image = probe::render(dial, kDesignSize, 1.0);
            return whitePixelsIn(image, dial.readoutRect());
        };
        dial.setCaption(QString());
        const int empty = readoutWhite();
        dial.setCaption(QStringLiteral("7969"));
        const int shown = readoutWhite();
        dial.setTachDisplayCode(0);
        const int hidden = readoutWhite();
        QCOMPARE(empty, 0);
        QVERIFY2(shown > 40, qPrintable(QString::number(shown)));
        QCOMPARE(hidden, 0);
    }

    void designTimeSettings() {
        DialGaugeWidget dial;
        QCOMPARE(dial.tachScaleMax(), 8.0);
        QCOMPARE(dial.tachMarkHigh(), 6.0);
        QCOMPARE(dial.tachMarkLow(), 5.7);
        QCOMPARE(dial.caption(), QStringLiteral("0"));
        QVERIFY(dial.readoutShown());
    }

    void scaleChangesRebuildTheStaticLayerValueChangesDoNot() {
        DialGaugeWidget dial;
        probe::render(dial, kDesignSize, 1.0);
        const int built = dial.staticLayerBuilds();
        dial.setValue(3.2);
        dial.setCaption(QStringLiteral("3200"));
        probe::render(dial, kDesignSize, 1.0);
        QCOMPARE(dial.staticLayerBuilds(), built);
        dial.setTachScaleMax(8.0);
        probe::render(dial, kDesignSize, 1.0);
        QCOMPARE(dial.staticLayerBuilds(), built);
        dial.setTachScaleMax(10.0);
        probe::render(dial, kDesignSize, 1.0);
        QCOMPARE(dial.staticLayerBuilds(), built + 1);
    }
};

QTEST_MAIN(DialGaugeWidgetTest)
#include "DialGaugeWidgetTest.moc"
