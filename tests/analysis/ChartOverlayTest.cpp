// Runs laid over the chart: the thinning by blocks draws exactly the columns the row-by-row
// thinning draws, and the cursor reads each run at the nearest row or not at all.
#include "DataColumns.h"
#include "analysis/ChartOverlay.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace {

bool operator==(const ColumnExtent& a, const ColumnExtent& b) {
    return a.column == b.column && a.first == b.first && a.last == b.last && a.low == b.low &&
           a.high == b.high && a.joinsPrevious == b.joinsPrevious;
}

}  // namespace

class ChartOverlayTest final : public QObject {
    Q_OBJECT
private slots:
    // Rows 25 ms apart with failed reads and stalls; the same columns in every window.
    void blocks_thinAsEveryRowWould_data() {
        columns<double, double, double, int>("start", "end", "width", "faultsOneIn");
        QTest::newRow("all of it, many rows a column") << 0.0 << 400.0 << 300.0 << 1;
        QTest::newRow("all of it, narrow") << 0.0 << 400.0 << 7.0 << 1;
        QTest::newRow("zoomed in, a row or less a column") << 100.0 << 110.0 << 800.0 << 1;
        QTest::newRow("a block wider than a column") << 50.0 << 250.0 << 1000.0 << 1;
        QTest::newRow("window past the end") << 350.0 << 900.0 << 500.0 << 1;
        QTest::newRow("window before the start") << -50.0 << 0.3 << 500.0 << 1;
        QTest::newRow("empty window") << 20.0 << 20.0 << 500.0 << 1;
        // Long blocks whole, and some not.
        QTest::newRow("few faults, narrow") << 0.0 << 400.0 << 7.0 << 30;
        QTest::newRow("few faults, many rows a column") << 3.0 << 390.0 << 300.0 << 30;
    }
    void blocks_thinAsEveryRowWould() {
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(double, width);
        QFETCH(int, faultsOneIn);
        QRandomGenerator random(7);
        std::vector<double> times;
        std::vector<float> values;
        double at = 0.0;
        for (int i = 0; i < 16000; ++i) {
            // Now and then a stall; always one where two blocks of a long block meet.
            at += random.bounded(200 * faultsOneIn) == 0 || i == 592 ? 3.0 : 0.025;
            times.push_back(at);
            values.push_back(random.bounded(150 * faultsOneIn) == 0
                                 ? std::numeric_limits<float>::quiet_NaN()
                                 : static_cast<float>(random.bounded(9000)));
        }
        constexpr double kGap = 0.0625;
        const auto blocks = summariseBlocks(values, blockJoins(times, kGap));
        QCOMPARE(blocks.blocks.size(), std::size_t{1000});
        QCOMPARE(blocks.longBlocks.size(), std::size_t{63});
        const TimeWindow window{start, end};
        const auto byRow = thinToColumns(times, values, window, 40.0, width, kGap);
        const auto byBlock =
            thinToColumnsByBlocks(times, values, blocks, window, 40.0, width, kGap);
        QCOMPARE(byBlock.size(), byRow.size());
        for (std::size_t i = 0; i < byRow.size(); ++i) {
            QVERIFY2(byBlock[i] == byRow[i], qPrintable(QString::number(i)));
        }
    }

    void cursor_readsTheNearestRowOfTheMovedRun_data() {
        columns<double, int>("seconds", "row");
        QTest::newRow("on a row") << 11.0 << 2;
        QTest::newRow("nearer the next") << 11.3 << 3;
        QTest::newRow("just before the start") << 9.8 << 0;
        QTest::newRow("well before the start") << 5.0 << -1;
        QTest::newRow("well after the end") << 20.0 << -1;
        QTest::newRow("inside a stall") << 14.0 << -1;
    }
    void cursor_readsTheNearestRowOfTheMovedRun() {
        QFETCH(double, seconds);
        QFETCH(int, row);
        std::vector<RecordingRow> rows(6);
        const double own[] = {0.0, 0.5, 1.0, 1.5, 2.0, 8.0};  // a stall before the last
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].seconds = own[i];
        }
        const ChartOverlay overlay = makeOverlay(columnsOf(rows), 10.0, QStringLiteral("b.csv"));
        QCOMPARE(overlay.series.times().front(), 10.0);
        const auto found = overlayRowAt(overlay, seconds);
        QCOMPARE(found ? static_cast<int>(*found) : -1, row);
    }

    // The time axis of a comparison covers every run, moved either way against the first.
    void span_coversEveryRun_data() {
        columns<double, double, double>("offset", "start", "end");
        QTest::newRow("later and longer") << 10.0 << 0.0 << 18.0;
        QTest::newRow("earlier") << -5.0 << -5.0 << 9.0;
        QTest::newRow("inside") << 1.0 << 0.0 << 9.0;
    }
    void span_coversEveryRun() {
        QFETCH(double, offset);
        QFETCH(double, start);
        QFETCH(double, end);
        std::vector<RecordingRow> rows(2);
        rows[1].seconds = 8.0;
        const std::vector<double> first{0.0, 9.0};
        const std::vector<ChartOverlay> runs{
            makeOverlay(columnsOf(rows), offset, QStringLiteral("b.csv")),
            makeOverlay(RecordingColumns(), 0.0, QStringLiteral("empty.csv"))};
        const TimeWindow span = runsSpan(first, runs);
        QCOMPARE(span.start, start);
        QCOMPARE(span.end, end);
    }

    void difference_data() {
        columns<double, int, QString>("difference", "decimals", "text");
        QTest::newRow("more") << 12.4 << 0 << "+12 rpm";
        QTest::newRow("less") << -0.25 << 2 << "-0.25 rpm";
        QTest::newRow("too small to show") << -0.004 << 2 << "\u00B10.00 rpm";
    }
    void difference() {
        QFETCH(double, difference);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(differenceText(difference, decimals, QStringLiteral("rpm")), text);
    }
};

QTEST_MAIN(ChartOverlayTest)
#include "ChartOverlayTest.moc"
