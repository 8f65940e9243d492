// The chart's arithmetic: time and value to pixels, zoom and pan limits, and the per-column
// thinning that must keep every peak and every gap.
#include "DataColumns.h"
#include "realtime/chart/ChartMapping.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace {

constexpr float kGap = std::numeric_limits<float>::quiet_NaN();

}  // namespace

class ChartMappingTest final : public QObject {
    Q_OBJECT
private slots:
    void mapping_data() {
        columns<double, double>("seconds", "x");
        QTest::newRow("left edge") << 10.0 << 100.0;
        QTest::newRow("right edge") << 70.0 << 700.0;
        QTest::newRow("middle") << 40.0 << 400.0;
        QTest::newRow("before the window") << 4.0 << 40.0;
    }
    void mapping() {
        QFETCH(double, seconds);
        QFETCH(double, x);
        const TimeWindow window{10.0, 70.0};
        QCOMPARE(timeToPixel(seconds, window, 100.0, 600.0), x);
        QCOMPARE(pixelToTime(x, window, 100.0, 600.0), seconds);
        // An empty window or plot maps without dividing by zero.
        QCOMPARE(timeToPixel(seconds, TimeWindow{5.0, 5.0}, 100.0, 600.0), 100.0);
        QCOMPARE(pixelToTime(x, window, 100.0, 0.0), 10.0);
        // Values: the top shows the high end, the bottom the low end.
        QCOMPARE(valueToPixel(19.0, -1.0, 19.0, 50.0, 200.0), 50.0);
        QCOMPARE(valueToPixel(-1.0, -1.0, 19.0, 50.0, 200.0), 250.0);
    }

    void zoomAndPan_stayInsideTheRecording() {
        const TimeWindow limits{0.0, 3600.0};
        TimeWindow w = zoomWindow(limits, 4.0, 900.0, limits, 2.0);
        QCOMPARE(w.length(), 900.0);
        // The anchor keeps its place on the screen.
        QCOMPARE((900.0 - w.start) / w.length(), 0.25);
        w = panWindow(w, -10'000.0, limits);
        QCOMPARE(w.start, 0.0);
        QCOMPARE(w.length(), 900.0);
        w = panWindow(w, 10'000.0, limits);
        QCOMPARE(w.end, 3600.0);
        QCOMPARE(zoomWindow(w, 1e9, 3000.0, limits, 2.0).length(), 2.0);
        QCOMPARE(zoomWindow(w, 1e-9, 3000.0, limits, 2.0).start, 0.0);
        QCOMPARE(zoomWindow(w, 1e-9, 3000.0, limits, 2.0).end, 3600.0);
    }

    void thinning_keepsPeaksOfEveryColumn() {
        // 1000 samples over 10 pixels: each column holds 100; one spike in column 7.
        std::vector<double> times(1000);
        std::vector<float> values(1000, 1.0f);
        for (std::size_t i = 0; i < times.size(); ++i) {
            times[i] = static_cast<double>(i) / 100.0;
        }
        values[750] = 99.0f;
        values[751] = -5.0f;
        const auto extents = thinToColumns(times, values, TimeWindow{0.0, 10.0}, 0.0, 10.0);
        QCOMPARE(extents.size(), std::size_t{10});
        QCOMPARE(extents[7].column, 7);
        QCOMPARE(extents[7].high, 99.0f);
        QCOMPARE(extents[7].low, -5.0f);
        QCOMPARE(extents[6].high, 1.0f);
        QVERIFY(extents[7].joinsPrevious);
    }

    void thinning_breaksTheLineAtFailedReads() {
        const std::vector<double> times{0, 1, 2, 3, 4, 5};
        const std::vector<float> values{1, 2, kGap, 4, kGap, 6};
        const auto extents = thinToColumns(times, values, TimeWindow{0.0, 6.0}, 0.0, 60.0);
        QCOMPARE(extents.size(), std::size_t{4});
        QCOMPARE(extents[1].joinsPrevious, true);
        QCOMPARE(extents[2].joinsPrevious, false);  // 4 after the gap at 2
        QCOMPARE(extents[2].first, 4.0f);
        QCOMPARE(extents[3].joinsPrevious, false);
        for (const auto& e : extents) {
            QVERIFY(!std::isnan(e.low) && e.low != 0.0f);
        }
        // A gap inside one column splits it in two extents.
        const auto packed = thinToColumns(times, values, TimeWindow{0.0, 600.0}, 0.0, 1.0);
        QCOMPARE(packed.size(), std::size_t{3});
        QCOMPARE(packed[0].column, 0);
        QCOMPARE(packed[2].column, 0);
    }

    void thinning_keepsOneSampleEachSideOfTheWindow() {
        const std::vector<double> times{0, 10, 20, 30, 40};
        const std::vector<float> values{0, 10, 20, 30, 40};
        const auto extents = thinToColumns(times, values, TimeWindow{15.0, 25.0}, 100.0, 100.0);
        QCOMPARE(extents.size(), std::size_t{3});
        QCOMPARE(extents.front().first, 10.0f);
        QCOMPARE(extents.front().column, 50);
        QCOMPARE(extents.back().first, 30.0f);
        QVERIFY(thinToColumns({}, {}, TimeWindow{0, 1}, 0, 100).empty());
        QCOMPARE(sampleAtOrBefore(times, 25.0), std::size_t{2});
        QCOMPARE(sampleAtOrBefore(times, -1.0), std::size_t{0});
        QCOMPARE(sampleAtOrBefore(times, 99.0), std::size_t{4});
    }
};

QTEST_GUILESS_MAIN(ChartMappingTest)
#include "ChartMappingTest.moc"
