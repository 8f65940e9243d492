// Bar gauges drawn into images: pointer position, segment boundaries, bands, label colours.
#include "DataColumns.h"
#include "GaugeImageProbe.h"
#include "widgets/gauges/BarGaugeWidget.h"
#include "widgets/gauges/GaugeTables.h"

#include <QApplication>
#include <QTest>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace tables = quillmark::gauge_tables;

namespace {
// The size of an 852 x 3732 twips gauge at 96 dots per inch.
const QSize kDesignSize(57, 249);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// Centre of the pointer's rows in a column that crosses it.
double pointerRow(const QImage& image, double x, double height) {
    double sum = 0.0;
    int count = 0;
    for (double y = 0.0; y < height; y += 1.0 / image.devicePixelRatio()) {
        if (probe::near(probe::at(image, x, y), BarGaugeWidget::pointerColour(), 40)) {
            sum += y;
            ++count;
        }
    }
    return count == 0 ? -1.0 : sum / count + 0.5 / image.devicePixelRatio();
}

double rowOf(const ScaleSegment& segment, double value, double height) {
    return segmentYFraction(segment, value) * height;
}

// The band beside each of the values, in column x of a gauge of the given height, has the colour.
void checkBandColour(const QImage& image, const ScaleSegment& scale, double x, double height,
                     std::initializer_list<double> values, const QColor& colour) {
    for (double value : values) {
        QVERIFY2(probe::near(probe::at(image, x, rowOf(scale, value, height)), colour),
                 qPrintable(QString::number(value)));
    }
}
}  // namespace

class BarGaugeWidgetTest final : public QObject {
    Q_OBJECT

private slots:
    void throttlePointerAtAThirdOfTheLength_data() {
        columns<QSize, qreal>("size", "ratio");
        QTest::newRow("design 1x") << kDesignSize << 1.0;
        QTest::newRow("design 1.5x") << kDesignSize << 1.5;
        QTest::newRow("design 2x") << kDesignSize << 2.0;
        QTest::newRow("large 1x") << QSize(120, 600) << 1.0;
    }

    void throttlePointerAtAThirdOfTheLength() {
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        BarGaugeWidget gauge(tables::kTps);
        gauge.setPointerScale(2);
        gauge.setPointerValue(50.0);
        const QImage image = probe::render(gauge, size, ratio);
        const double row = pointerRow(image, 0.75 * size.width(), size.height());
        const double expected = 0.33 * size.height();
        QVERIFY2(std::abs(row - expected) <= 1.0,
                 qPrintable(QStringLiteral("pointer at %1, expected %2").arg(row).arg(expected)));
    }

    void throttleSegmentBoundaries() {
        BarGaugeWidget gauge(tables::kTps);
        const double h = kDesignSize.height();
        const double w = kDesignSize.width();
        const QImage image = probe::render(gauge, kDesignSize, 1.0);
        // The black band of the lowest segment starts exactly at its upper boundary.
        QVERIFY(probe::near(probe::at(image, 0.93 * w, 0.64 * h + 2), kBlack));
        QVERIFY(
            probe::near(probe::at(image, 0.93 * w, 0.64 * h - 2), BarGaugeWidget::faceColour()));
        // Both boundaries carry a white tick.
        for (double boundary : {0.46, 0.64}) {
            const double x = 0.78 * w;
            const bool tick = probe::isWhite(probe::at(image, x, boundary * h)) ||
                              probe::isWhite(probe::at(image, x, boundary * h - 1)) ||
                              probe::isWhite(probe::at(image, x, boundary * h + 1));
            QVERIFY2(tick, qPrintable(QString::number(boundary)));
            QVERIFY(!probe::isWhite(probe::at(image, x, boundary * h + 5)));
        }
    }

    void fuelMultiplierBands() {
        BarGaugeWidget gauge(tables::kFuelMult);
        gauge.setPointerValue(5.0);
        const QImage image = probe::render(gauge, kDesignSize, 1.0);
        const ScaleSegment& scale = tables::kFuelMultSegments[0];
        const double h = kDesignSize.height();
        const double x = 0.93 * kDesignSize.width();
        checkBandColour(image, scale, x, h, {-21.0, -16.0, 26.0, 31.0}, kRed);
        checkBandColour(image, scale, x, h, {-14.0, 0.0, 24.0}, kBlack);
    }

    void batteryBands() {
        BarGaugeWidget gauge(tables::kBattery);
        gauge.setPointerValue(13.0);
        const QSize size(80, 400);
        const QImage image = probe::render(gauge, size, 2.0);
        const ScaleSegment& scale = tables::kBatterySegments[0];
        const double x = 0.93 * size.width();
        checkBandColour(image, scale, x, size.height(), {0.0, 10.8, 16.2, 18.8}, kRed);
        checkBandColour(image, scale, x, size.height(), {11.2, 15.8}, kBlack);
    }

    void everyTickIsDrawn() {
        BarGaugeWidget gauge(tables::kFuelMult);
        gauge.setPointerValue(27.5);
        const QSize size(80, 500);
        const QImage image = probe::render(gauge, size, 1.0);
        int runs = 0;
        bool inRun = false;
        for (int y = 0; y < size.height(); ++y) {
            const bool white = probe::isWhite(probe::at(image, 0.78 * size.width(), y));
            runs += white && !inRun ? 1 : 0;
            inRun = white;
        }
        QCOMPARE(runs, 11);  // -20 to 30 every 5
    }

    void labelColours() {
        const auto hasColour = [](const QImage& image, const QColor& colour) {
            for (int y = 0; y < image.height() / 10; ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (probe::near(image.pixelColor(x, y), colour, 6)) {
                        return true;
                    }
                }
            }
            return false;
        };
        BarGaugeWidget fuel(tables::kFuelMult);
        BarGaugeWidget throttle(tables::kTps);
        const QImage fuelImage = probe::render(fuel, kDesignSize, 2.0);
        const QImage throttleImage = probe::render(throttle, kDesignSize, 2.0);
        QVERIFY(hasColour(fuelImage, QColor(255, 255, 128)));
        QVERIFY(!hasColour(fuelImage, QColor(255, 255, 0)));
        QVERIFY(hasColour(throttleImage, QColor(255, 255, 0)));
    }

    void outOfRangeInputsAreClamped() {
        BarGaugeWidget gauge(tables::kTps);
        gauge.setPointerScale(9);
        QCOMPARE(gauge.pointerScale(), 2);
        gauge.setPointerScale(-1);
        QCOMPARE(gauge.pointerScale(), 0);

        gauge.setPointerScale(1);
        gauge.setPointerValue(80.0);
        QCOMPARE(gauge.pointerYFraction(), 0.46);
        gauge.setPointerValue(std::numeric_limits<double>::infinity());
        QCOMPARE(gauge.pointerYFraction(), 0.46);
        gauge.setPointerValue(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(gauge.pointerYFraction(), 0.64);

        // NaN is drawn, at the segment's bottom end, not skipped or thrown off the strip.
        const QImage image = probe::render(gauge, kDesignSize, 1.0);
        const double row = pointerRow(image, 0.75 * kDesignSize.width(), kDesignSize.height());
        QVERIFY(std::abs(row - 0.64 * kDesignSize.height()) <= 1.0);
    }

    void staticLayerIsReusedUntilSizeOrRatioChanges() {
        BarGaugeWidget gauge(tables::kInjector);
        probe::render(gauge, kDesignSize, 1.0);
        const int built = gauge.staticLayerBuilds();
        gauge.setPointerScale(1);
        gauge.setPointerValue(12.0);
        probe::render(gauge, kDesignSize, 1.0);
        QCOMPARE(gauge.staticLayerBuilds(), built);
        probe::render(gauge, kDesignSize, 2.0);
        QCOMPARE(gauge.staticLayerBuilds(), built + 1);
        probe::render(gauge, QSize(60, 260), 2.0);
        QCOMPARE(gauge.staticLayerBuilds(), built + 2);
        QEvent paletteChange(QEvent::PaletteChange);
        QCoreApplication::sendEvent(&gauge, &paletteChange);
        probe::render(gauge, QSize(60, 260), 2.0);
        QCOMPARE(gauge.staticLayerBuilds(), built + 3);
    }
};

QTEST_MAIN(BarGaugeWidgetTest)
#include "BarGaugeWidgetTest.moc"
