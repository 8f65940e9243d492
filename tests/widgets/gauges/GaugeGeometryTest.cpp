// Value-to-position arithmetic and the consistency of the scale tables.
#include "DataColumns.h"
#include "widgets/gauges/GaugeGeometry.h"
#include "widgets/gauges/GaugeTables.h"

#include <QTest>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace tables = quillmark::gauge_tables;

class GaugeGeometryTest final : public QObject {
    Q_OBJECT

private slots:
    void throttleFiftyOnTopSegmentSitsAtAThird() {
        const double y = segmentYFraction(tables::kTpsSegments[2], 50.0);
        QVERIFY(std::abs(y - 0.3294) < 0.001);
    }

    void segmentEndsMapToTheirStretch() {
        for (const BarGaugeDesign* design : {&tables::kTps, &tables::kInjector, &tables::kFuelMult,
                                             &tables::kBattery, &tables::kRetard}) {
            for (std::size_t i = 0; i < design->segments.size(); ++i) {
                const ScaleSegment& s = design->segments[i];
                QCOMPARE(segmentYFraction(s, s.low), s.bottom);
                QCOMPARE(segmentYFraction(s, s.high), s.top);
                // Higher segments continue the scale upward without a gap or a jump in value.
                if (i + 1 < design->segments.size()) {
                    const ScaleSegment& above = design->segments[i + 1];
                    QCOMPARE(above.bottom, s.top);
                    QCOMPARE(above.low, s.high);
                }
            }
        }
    }

    void throttleBoundariesAreSharedBySegments() {
        QCOMPARE(segmentYFraction(tables::kTpsSegments[0], 10.0), 0.64);
        QCOMPARE(segmentYFraction(tables::kTpsSegments[1], 10.0), 0.64);
        QCOMPARE(segmentYFraction(tables::kTpsSegments[1], 20.0), 0.46);
        QCOMPARE(segmentYFraction(tables::kTpsSegments[2], 20.0), 0.46);
    }

    void valuesOutsideTheSegmentClampToTheNearerEnd() {
        const ScaleSegment& middle = tables::kTpsSegments[1];
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(segmentYFraction(middle, 50.0), 0.46);
        QCOMPARE(segmentYFraction(middle, -3.0), 0.64);
        QCOMPARE(segmentYFraction(middle, inf), 0.46);
        QCOMPARE(segmentYFraction(middle, -inf), 0.64);
        QCOMPARE(segmentYFraction(middle, std::numeric_limits<double>::quiet_NaN()), 0.64);
        QCOMPARE(clampToSegment(middle, std::numeric_limits<double>::quiet_NaN()), 10.0);
    }

    void segmentIndexClamps() {
        QCOMPARE(clampSegmentIndex(-1, 3), 0);
        QCOMPARE(clampSegmentIndex(2, 3), 2);
        QCOMPARE(clampSegmentIndex(3, 3), 2);
        QCOMPARE(clampSegmentIndex(32767, 1), 0);
        QCOMPARE(clampSegmentIndex(4, 0), 0);
    }

    void ticksRunFromStartToEndAtEveryStep() {
        QCOMPARE(tickValues(20.0, 105.0, 20.0), (std::vector<double>{20, 40, 60, 80, 100}));
        QCOMPARE(tickValues(0.0, 10.0, 2.5), (std::vector<double>{0, 2.5, 5, 7.5, 10}));
        QCOMPARE(tickValues(-20.0, 30.0, 5.0).size(), std::size_t{11});
        QCOMPARE(tickValues(0.0, 1.0, 0.1).size(), std::size_t{11});
        QVERIFY(tickValues(0.0, 10.0, 0.0).empty());
        QVERIFY(tickValues(0.0, std::numeric_limits<double>::quiet_NaN(), 1.0).empty());
        QVERIFY(tickValues(0.0, 1e12, 1.0).empty());
    }

    void dialAngles_data() {
        columns<double, double, double>("value", "scaleMax", "degrees");
        QTest::newRow("zero") << 0.0 << 8.0 << 225.0;
        QTest::newRow("top") << 8.0 << 8.0 << -45.0;
        QTest::newRow("half") << 4.0 << 8.0 << 90.0;
        QTest::newRow("7969 rpm") << 7.969 << 8.0 << -43.95375;
        QTest::newRow("9 of 10") << 9.0 << 10.0 << -18.0;
        QTest::newRow("beyond") << 11.0 << 10.0 << -45.0;
        QTest::newRow("negative") << -1.0 << 10.0 << 225.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 8.0 << 225.0;
        QTest::newRow("no scale") << 3.0 << 0.0 << 225.0;
        QTest::newRow("nan scale") << 3.0 << std::numeric_limits<double>::quiet_NaN() << 225.0;
    }

    void dialAngles() {
        QFETCH(double, value);
        QFETCH(double, scaleMax);
        QFETCH(double, degrees);
        QVERIFY2(std::abs(dialAngleDegrees(value, scaleMax) - degrees) < 1e-9,
                 qPrintable(QString::number(dialAngleDegrees(value, scaleMax))));
    }
};

QTEST_GUILESS_MAIN(GaugeGeometryTest)
#include "GaugeGeometryTest.moc"
