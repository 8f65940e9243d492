// Where runs laid over one another line up: at their starts, at a marker, at the first time the
// engine speed comes up through a value, and the offset that puts a run on the first one's axis.
#include "DataColumns.h"
#include "analysis/RunAlignment.h"

#include <QTest>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kJoined = 1.25;  // the longest gap a line joins at two samples a second

// One row per speed (NaN: a failed read), from 10 s on every half second unless `times` says;
// `markers` puts marker numbers on rows (0: none; -2: the alarm marker A2).
std::vector<RecordingRow> run(const QList<double>& speeds, const QList<int>& markers = {},
                              const QList<double>& times = {}) {
    std::vector<RecordingRow> rows(static_cast<std::size_t>(speeds.size()));
    for (qsizetype i = 0; i < speeds.size(); ++i) {
        RecordingRow& row = rows[static_cast<std::size_t>(i)];
        row.seconds = times.isEmpty() ? 10.0 + 0.5 * static_cast<double>(i) : times[i];
        if (!std::isnan(speeds[i])) {
            row.setValue(Quantity::EngineSpeed, static_cast<float>(speeds[i]));
        }
        if (i < markers.size() && markers[i] != 0) {
            row.markers = {RecordingMarker{std::abs(markers[i]), QString(),
                                           markers[i] < 0 ? MarkerKind::Alarm : MarkerKind::User}};
        }
    }
    return rows;
}

}  // namespace

Q_DECLARE_METATYPE(quillmark::RunAlignmentChoice)

class RunAlignmentTest final : public QObject {
    Q_OBJECT
private slots:
    void point_data() {
        columns<std::vector<RecordingRow>, int, double, double>("rows", "at", "value", "point");
        const auto start = static_cast<int>(AlignAt::Start);
        const auto marker = static_cast<int>(AlignAt::Marker);
        const auto crossing = static_cast<int>(AlignAt::SpeedCrossing);
        QTest::newRow("start is the first row, not zero")
            << run({900, 950}) << start << 0.0 << 10.0;
        QTest::newRow("no rows, no start") << run({}) << start << 0.0 << kNone;
        QTest::newRow("marker 2 where it is")
            << run({1, 2, 3, 4}, {0, 1, 0, 2}) << marker << 2.0 << 11.5;
        QTest::newRow("marker 2 absent") << run({1, 2, 3}, {1, 0, 3}) << marker << 2.0 << kNone;
        QTest::newRow("marker 2 after an alarm's A2: the user's")
            << run({1, 2, 3, 4}, {0, -2, 0, 2}) << marker << 2.0 << 11.5;
        QTest::newRow("marker 1 twice: the first")
            << run({1, 2, 3}, {0, 1, 1}) << marker << 1.0 << 10.5;
        QTest::newRow("crossing between samples, interpolated")
            << run({1000, 2500, 3500, 4000}) << crossing << 3000.0 << 10.75;
        QTest::newRow("a sample right on the speed")
            << run({1000, 3000, 3500}) << crossing << 3000.0 << 10.5;
        QTest::newRow("never reaches the speed")
            << run({1000, 2000, 2999}) << crossing << 3000.0 << kNone;
        QTest::newRow("starts above: crosses once back down and up again")
            << run({3500, 3200, 2000, 2600, 3400}) << crossing << 3000.0 << 11.75;
        QTest::newRow("starts above and stays: no crossing")
            << run({3500, 3200, 3100}) << crossing << 3000.0 << kNone;
        QTest::newRow("the first of two crossings")
            << run({2000, 4000, 2000, 4000}) << crossing << 3000.0 << 10.25;
        QTest::newRow("a failed read before: the reading as it is")
            << run({2000, kNone, 3500}) << crossing << 3000.0 << 11.0;
        QTest::newRow("a failed read at the start counts for nothing")
            << run({kNone, 3500, 2000, 4000}) << crossing << 3000.0 << 11.25;
        QTest::newRow("a stall before: the reading as it is")
            << run({2000, 4000}, {}, {10.0, 40.0}) << crossing << 3000.0 << 40.0;
    }
    void point() {
        QFETCH(std::vector<RecordingRow>, rows);
        QFETCH(int, at);
        QFETCH(double, value);
        QFETCH(double, point);
        const RunAlignmentChoice choice{static_cast<AlignAt>(at), static_cast<int>(value), value};
        const std::optional<double> found = alignmentPoint(columnsOf(rows), choice, kJoined);
        QCOMPARE(found.has_value(), !std::isnan(point));
        if (found) {
            QCOMPARE(*found, point);
        }
    }

    void offset_movesTheRunOntoTheFirstOnesAxis_data() {
        columns<RunAlignmentChoice, double>("choice", "offset");
        QTest::newRow("starts") << RunAlignmentChoice{} << -90.0;
        QTest::newRow("marker 2") << RunAlignmentChoice{AlignAt::Marker, 2, 0.0} << -90.5;
        QTest::newRow("marker 3, the run has none")
            << RunAlignmentChoice{AlignAt::Marker, 3, 0.0} << kNone;
        QTest::newRow("crossing 3000 rpm")
            << RunAlignmentChoice{AlignAt::SpeedCrossing, 1, 3000.0}
            << 10.75 - (101.0 + 0.5 / 3.0);  // a third of the way from 2000 to 5000 rpm
        QTest::newRow("crossing 5000 rpm, the first never gets there")
            << RunAlignmentChoice{AlignAt::SpeedCrossing, 1, 5000.0} << kNone;
    }
    void offset_movesTheRunOntoTheFirstOnesAxis() {
        QFETCH(RunAlignmentChoice, choice);
        QFETCH(double, offset);
        const auto first = columnsOf(run({1000, 2000, 4000, 4000}, {0, 2, 0, 3}));
        // Starts 90 s later, has its marker 2 and its crossing a row later than the first.
        const auto later = columnsOf(
            run({1000, 1000, 2000, 5000, 6000}, {0, 0, 2}, {100.0, 100.5, 101.0, 101.5, 102.0}));
        const std::optional<double> found = alignmentOffset(first, later, choice);
        QCOMPARE(found.has_value(), !std::isnan(offset));
        if (found) {
            QCOMPARE(*found, offset);
            // The run's moment lands on the first's.
            QCOMPARE(*alignmentPoint(later, choice, kJoined) + *found,
                     *alignmentPoint(first, choice, kJoined));
        }
    }
};

QTEST_MAIN(RunAlignmentTest)
#include "RunAlignmentTest.moc"
