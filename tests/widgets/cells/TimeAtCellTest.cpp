// The time-at-cell grid against a recording worked out by hand: each cell's time, samples and
// mean, the gap rule, samples without a speed or throttle, and the spans a chosen cell marks.
#include "DataColumns.h"
#include "analysis/TimeAtCellGrid.h"
#include "recording/RecordingColumns.h"
#include "widgets/cells/TimeAtCellWidget.h"
#include "widgets/cells/TimeAtCellWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace quillmark;
using quillmark::test::columns;

namespace {

constexpr float kEmpty = NAN;

struct Sample {
    double seconds;
    float speed;
    float throttle;
    float injector;
};

// Rows every 0.5 s (the median), one gap of 8 s. By hand, with each sample counting the time to
// the next, a gap past 2.5 intervals and the last sample counting 0.5 s:
//   cell 1000-1499 rpm, 0-9 %:  the samples at 0, 0.5, 1.0 and 10.0 s, 2.0 s; injector
//                               2, 4 and 6 (one empty): mean 4
//   cell 1000-1499 rpm, 10-19 %: the sample at 2.0 s, before the gap: 0.5 s, mean 1
//   cell 9000-9499 rpm, 90-100 %: the last sample, at full throttle: 0.5 s, no injector value
//   the sample at 1.5 s has no engine speed, the one at 10.5 s no throttle: counted nowhere
constexpr std::array<Sample, 8> kHandWorked{{
    {0.0, 1000.0f, 5.0f, 2.0f},
    {0.5, 1200.0f, 5.0f, kEmpty},
    {1.0, 1499.9f, 9.9f, 4.0f},
    {1.5, kEmpty, 5.0f, 3.0f},
    {2.0, 1450.0f, 15.0f, 1.0f},
    {10.0, 1000.0f, 0.0f, 6.0f},
    {10.5, 1000.0f, kEmpty, 6.0f},
    {11.0, 9000.0f, 100.0f, kEmpty},
}};

RecordingColumns handWorked() {
    RecordingColumns recording;
    for (const Sample& sample : kHandWorked) {
        RecordingRow row;
        row.seconds = sample.seconds;
        row.statusRaw = 0x06;
        for (const auto& [quantity, value] : {std::pair{Quantity::EngineSpeed, sample.speed},
                                              std::pair{Quantity::Throttle, sample.throttle},
                                              std::pair{Quantity::Injector1, sample.injector}}) {
            if (!std::isnan(value)) {
                row.setValue(quantity, value);
            }
        }
        recording.append(row);
    }
    return recording;
}

}  // namespace

class TimeAtCellTest final : public QObject {
    Q_OBJECT
private slots:
    void cell_countAndMeanAsWorkedByHand_data() {
        columns<int, int, double, int, double>("speedRow", "throttleColumn", "seconds", "samples",
                                               "mean");
        QTest::newRow("1000-1499 rpm, 0-9 %") << 2 << 0 << 2.0 << 4 << 4.0;
        QTest::newRow("1000-1499 rpm, 10-19 %, before the gap") << 2 << 1 << 0.5 << 1 << 1.0;
        QTest::newRow("9000-9499 rpm, 90-100 %, no values") << 18 << 9 << 0.5 << 1 << qQNaN();
        QTest::newRow("a cell never visited") << 3 << 0 << 0.0 << 0 << qQNaN();
    }
    void cell_countAndMeanAsWorkedByHand() {
        QFETCH(int, speedRow);
        QFETCH(int, throttleColumn);
        QFETCH(double, seconds);
        QFETCH(int, samples);
        QFETCH(double, mean);
        const TimeAtCellGrid grid(handWorked(), Quantity::Injector1);
        const CellTotals& cell = grid.cell({speedRow, throttleColumn});
        QCOMPARE(cell.seconds, seconds);
        QCOMPARE(cell.samples, samples);
        QCOMPARE(cell.mean().value_or(qQNaN()), mean);
        QCOMPARE(grid.countedSeconds(), 3.0);
        QCOMPARE(grid.mostSeconds(), 2.0);
        QCOMPARE(grid.usedSpeedRows(), 19);
    }

    void chosenCell_marksItsSamplesSpansOnTheChart() {
        TimeAtCellWindow window;
        window.resize(900, 560);
        window.showRecording(std::make_shared<const RecordingColumns>(handWorked()));
        QSignalSpy marked(&window, &TimeAtCellWindow::highlightsChanged);
        TimeAtCellWidget& table = *window.table();
        const QPoint cell = table.cellRect({2, 0}).center().toPoint();
        QTest::mouseClick(&table, Qt::LeftButton, {}, cell);
        QCOMPARE(marked.size(), 1);
        // Joined while the samples follow each other; the gap and the empty speed break them.
        const std::vector<TimeWindow> spans{{0.0, 1.5}, {10.0, 10.5}};
        const auto got = marked.last().first().value<std::vector<TimeWindow>>();
        QCOMPARE(got.size(), spans.size());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            QCOMPARE(got[i].start, spans[i].start);
            QCOMPARE(got[i].end, spans[i].end);
        }
        // Another quantity keeps the chosen cell and its marks; a second click lets it go.
        window.quantityChooser()->setCurrentIndex(4);
        QCOMPARE(table.grid().averaged(), Quantity::Retard);
        QVERIFY(!table.grid().cell({2, 0}).mean().has_value());
        QTest::mouseClick(&table, Qt::LeftButton, {}, cell);
        QVERIFY(marked.last().first().value<std::vector<TimeWindow>>().empty());
        // Closed with a cell chosen, the table takes its marks off the chart.
        QTest::mouseClick(&table, Qt::LeftButton, {}, cell);
        QVERIFY(!marked.last().first().value<std::vector<TimeWindow>>().empty());
        window.close();
        QVERIFY(marked.last().first().value<std::vector<TimeWindow>>().empty());
    }

    void heading_countsItsRows_data() {
        columns<int, QString>("rows", "counted");
        QTest::newRow("one") << 1 << "counted from 1 row,";
        QTest::newRow("two") << 2 << "counted from 2 rows,";
    }
    void heading_countsItsRows() {
        QFETCH(int, rows);
        QFETCH(QString, counted);
        std::vector<RecordingRow> all(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            all[i].seconds = 0.5 * i;
            all[i].setValue(Quantity::EngineSpeed, 2000.0f);
            all[i].setValue(Quantity::Throttle, 20.0f);
        }
        TimeAtCellWindow window;
        window.showRecording(std::make_shared<const RecordingColumns>(columnsOf(all)));
        const QString heading = window.findChild<QLabel*>(QStringLiteral("lblCounted"))->text();
        QVERIFY2(heading.contains(counted), qPrintable(heading));
    }
};

QTEST_MAIN(TimeAtCellTest)
#include "TimeAtCellTest.moc"
