// The chart's marker flags: none covers another or the counting flag, and what fits nowhere is
// counted, never drawn over another.
#include "DataColumns.h"
#include "analysis/MarkerFlags.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

class MarkerFlagsTest final : public QObject {
    Q_OBJECT
private slots:
    void flags_neverCoverOneAnother_data() {
        columns<std::vector<double>, int>("lines", "gathered");
        // Flags 60 px wide on a plot from 100 to 400, three rows.
        QTest::newRow("side by side") << std::vector<double>{110, 180, 250, 320} << 0;
        QTest::newRow("close: one a row") << std::vector<double>{110, 130, 150} << 0;
        QTest::newRow("a fourth close one is counted")
            << std::vector<double>{110, 130, 150, 170, 190} << 1;
        // At the right edge flags end at the edge; the count's room is kept in the lowest row.
        QTest::newRow("crowded at the right edge")
            << std::vector<double>{300, 330, 360, 380, 390, 399} << 3;
    }
    void flags_neverCoverOneAnother() {
        QFETCH(std::vector<double>, lines);
        QFETCH(int, gathered);
        constexpr double kLeft = 100.0;
        constexpr double kRight = 400.0;
        constexpr double kWidth = 60.0;
        constexpr double kCount = 30.0;
        std::vector<FlagRequest> requests;
        for (const double x : lines) {
            requests.push_back({x, kWidth});
        }
        const FlagLayout layout = layOutFlags(requests, 3, kLeft, kRight, 2.0, kCount);
        QCOMPARE(layout.flags.size(), requests.size());
        QCOMPARE(int(layout.gathered), gathered);
        std::array<std::vector<std::pair<double, double>>, 3> taken;
        if (gathered > 0) {
            taken[0].emplace_back(layout.countLeft, kRight);
        }
        for (std::size_t i = 0; i < layout.flags.size(); ++i) {
            if (!layout.flags[i]) {
                continue;
            }
            const FlagPlace& place = *layout.flags[i];
            QVERIFY(place.left >= kLeft && place.left + kWidth <= kRight);
            // On its line, or moved left of it at the right edge.
            QVERIFY(place.left <= requests[i].x);
            for (const auto& [from, to] : taken[place.row]) {
                QVERIFY2(place.left + kWidth <= from || place.left >= to,
                         qPrintable(QStringLiteral("flag %1 in row %2").arg(i).arg(place.row)));
            }
            taken[place.row].emplace_back(place.left, place.left + kWidth);
        }
    }
};

QTEST_GUILESS_MAIN(MarkerFlagsTest)
#include "MarkerFlagsTest.moc"
