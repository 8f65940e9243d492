// The chart's arithmetic: time and value to pixels, zoom and pan limits, the per-column
// thinning that must keep every peak and every gap, and the labels of both axes.
#include "DataColumns.h"
#include "analysis/ChartMapping.h"

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

    void thinning_breaksTheLineWhereRowsAreMissing_data() {
        // `joins`: + where a sample is drawn joined to the one before it.
        columns<QList<double>, double, double, QString>("times", "end", "sampling", "joins");
        QTest::newRow("steady") << QList<double>{0, 0.5, 1, 1.5} << 2.0 << 0.5 << "-+++";
        QTest::newRow("one tick missed") << QList<double>{0, 0.5, 1.5, 2} << 2.0 << 0.5 << "-+++";
        QTest::newRow("panel closed 20 s")
            << QList<double>{0, 0.5, 1, 21, 21.5} << 22.0 << 0.5 << "-++-+";
        QTest::newRow("stall of 2 s") << QList<double>{0, 0.5, 1, 3, 3.5} << 4.0 << 0.5 << "-++-+";
        QTest::newRow("jump to 1e15 s") << QList<double>{0, 0.5, 1, 1e15} << 2.0 << 0.5 << "-++-";
        QTest::newRow("every 2 s") << QList<double>{0, 2, 4, 7} << 8.0 << 2.0 << "-+++";
        QTest::newRow("one row") << QList<double>{3} << 4.0 << kDefaultSampling << "-";
    }
    void thinning_breaksTheLineWhereRowsAreMissing() {
        QFETCH(QList<double>, times);
        QFETCH(double, end);
        QFETCH(double, sampling);
        QFETCH(QString, joins);
        const std::vector<double> rowTimes(times.begin(), times.end());
        QCOMPARE(samplingInterval(rowTimes), sampling);
        const std::vector<float> values(rowTimes.size(), 1.0f);
        QString joined;
        for (const auto& e : thinToColumns(rowTimes, values, TimeWindow{0.0, end}, 0.0, 1000.0,
                                           longestJoinedGap(sampling))) {
            joined += e.joinsPrevious ? '+' : '-';
        }
        QCOMPARE(joined, joins);
    }

    void valueTicks_areRoundAndInsideTheLane_data() {
        columns<double, double, QList<double>, int>("low", "high", "values", "decimals");
        QTest::newRow("engine speed") << 0.0 << 10200.0 << QList<double>{0, 5000, 10000} << 0;
        QTest::newRow("throttle") << -0.5 << 105.0 << QList<double>{0, 50, 100} << 0;
        QTest::newRow("fuel") << -22.0 << 32.0 << QList<double>{-20, 0, 20} << 0;
        QTest::newRow("battery") << -1.0 << 19.0 << QList<double>{0, 10} << 0;
        QTest::newRow("tenths") << 0.0 << 1.0 << QList<double>{0, 0.5, 1} << 1;
        QTest::newRow("all below zero") << -0.9 << -0.1 << QList<double>{-0.5} << 1;
        QTest::newRow("flat") << 5.0 << 5.0 << QList<double>{} << 0;
    }
    void valueTicks_areRoundAndInsideTheLane() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, values);
        QFETCH(int, decimals);
        const ValueTicks ticks = valueTicks(low, high, 3);
        QCOMPARE(QList<double>(ticks.values.begin(), ticks.values.end()), values);
        QCOMPARE(ticks.decimals, decimals);
    }

    // The battery's 13.4 to 14.1 V fills its lane, with a margin; a steady value gets a
    // scale a few of its steps wide; no value, no fitted scale.
    void fittedScale_data() {
        columns<double, double, int, double, double>("low", "high", "decimals", "from", "to");
        QTest::newRow("battery") << 13.4 << 14.1 << 2 << 13.365 << 14.135;
        QTest::newRow("steady") << 13.5 << 13.5 << 2 << 13.478 << 13.522;
        QTest::newRow("steady engine speed") << 3000.0 << 3000.0 << 0 << 2997.8 << 3002.2;
        QTest::newRow("nothing in view") << qInf() << -qInf() << 2 << 0.0 << 0.0;
    }
    void fittedScale() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, decimals);
        QFETCH(double, from);
        QFETCH(double, to);
        const auto scale = quillmark::fittedScale(low, high, decimals);
        QCOMPARE(scale.has_value(), from != to);
        if (scale) {
            QVERIFY2(std::abs(scale->first - from) < 1e-9 && std::abs(scale->second - to) < 1e-9,
                     qPrintable(QStringLiteral("%1 to %2").arg(scale->first).arg(scale->second)));
        }
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

    void timeAxis_labelsAreFewAndRound_data() {
        columns<double, double, double, int, double>("start", "end", "width", "count", "step");
        QTest::newRow("a minute") << 0.0 << 60.0 << 1000.0 << 13 << 5.0;
        QTest::newRow("a day in 2 h") << 0.0 << 86400.0 << 1000.0 << 13 << 7200.0;
        QTest::newRow("two days in 4 h") << 0.0 << 172800.0 << 1000.0 << 13 << 14400.0;
        QTest::newRow("a month in 5 days") << 0.0 << 2592000.0 << 1000.0 << 7 << 432000.0;
        QTest::newRow("time jump to 1e15 s") << 0.5 << 1e15 << 1000.0 << 11 << 8.64e13;
        QTest::newRow("two seconds at 1e15 s") << 1e15 << 1e15 + 2.0 << 1000.0 << 3 << 1.0;
        QTest::newRow("more steps than labels") << 0.0 << 1e6 << 1e6 << kMaxTimeLabels << 120.0;
        QTest::newRow("unbounded") << -1e308 << 1e308 << 1000.0 << 0 << 0.0;
    }
    void timeAxis_labelsAreFewAndRound() {
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(double, width);
        QFETCH(int, count);
        QFETCH(double, step);
        const auto ticks = timeAxisTicks(TimeWindow{start, end}, width, 80.0);
        QCOMPARE(ticks.size(), std::size_t(count));
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            QVERIFY(ticks[i] >= start && ticks[i] <= end);
            QCOMPARE(std::fmod(ticks[i], step), 0.0);
            if (i > 0) {
                QCOMPARE(ticks[i] - ticks[i - 1], step);
            }
        }
    }

    void elapsedClockText_data() {
        columns<double, QString>("seconds", "text");
        QTest::newRow("start") << 0.0 << "0:00";
        QTest::newRow("rounded down") << 59.9 << "0:59";
        QTest::newRow("59:59") << 3599.0 << "59:59";
        QTest::newRow("an hour") << 3600.0 << "1:00:00";
        QTest::newRow("22 h, not 1320 min") << 79200.0 << "22:00:00";
        QTest::newRow("a day") << 86400.0 << "24:00:00";
        QTest::newRow("1e15 s") << 1e15 << "277777777777:46:40";
        QTest::newRow("past any clock") << 1e300 << "--:--";
        QTest::newRow("not a time") << std::numeric_limits<double>::quiet_NaN() << "--:--";
    }
    void elapsedClockText() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(quillmark::elapsedClockText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(ChartMappingTest)
#include "ChartMappingTest.moc"
