// The alarm check: a value at, just past and around its limit alarms once, and again only after
// it came back inside by the re-arm margin.
#include "DataColumns.h"
#include "analysis/AlarmMonitor.h"
#include "recording/RecordingRow.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace quillmark;
using quillmark::test::columns;

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::optional<double> limit(double value) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

}  // namespace

class AlarmMonitorTest final : public QObject {
    Q_OBJECT

private slots:
    void alarmsOnceAtAndAroundItsLimit_data() {
        // values: one per tick, NaN for a tick that did not read it
        columns<int, double, double, QList<double>, bool, QStringList>(
            "quantity", "low", "high", "values", "checksRetard", "alarms");
        const int battery = static_cast<int>(Quantity::Battery);
        const int speed = static_cast<int>(Quantity::EngineSpeed);
        const int retard = static_cast<int>(Quantity::Retard);
        QTest::newRow("exactly on the low limit is not past it")
            << battery << 12.0 << kNone << QList<double>{12.0, 12.0, 12.0} << true << QStringList{};
        QTest::newRow("sitting on the limit, dipping below, alarms once")
            << battery << 12.0 << kNone << QList<double>{12.0, 11.9, 12.0, 11.9, 12.3, 11.8, 12.0}
            << true << QStringList{"Battery 11.9 V below 12.0 V"};
        QTest::newRow("back inside by the margin (0.4 V) re-arms")
            << battery << 12.0 << kNone << QList<double>{11.9, 12.4, 11.9} << true
            << QStringList{"Battery 11.9 V below 12.0 V", "Battery 11.9 V below 12.0 V"};
        QTest::newRow("the value as shown decides: 11.96 shows as 12.0")
            << battery << 12.0 << kNone << QList<double>{11.96, 11.94} << true
            << QStringList{"Battery 11.9 V below 12.0 V"};
        QTest::newRow("high side: 200 rpm back below re-arms, 160 does not")
            << speed << kNone << 6000.0
            << QList<double>{6000.0, 6040.0, 5840.0, 6040.0, 5800.0, 6040.0} << true
            << QStringList{"Engine speed 6040 rpm above 6000 rpm",
                           "Engine speed 6040 rpm above 6000 rpm"};
        QTest::newRow("both limits: each side alarms on its own")
            << battery << 12.0 << 15.0 << QList<double>{11.0, 15.5, 11.0} << true
            << QStringList{"Battery 11.0 V below 12.0 V", "Battery 15.5 V above 15.0 V",
                           "Battery 11.0 V below 12.0 V"};
        QTest::newRow("a tick without the value leaves the alarm on")
            << battery << 12.0 << kNone << QList<double>{11.0, kNone, 11.0, kNone, 12.5, 11.0}
            << true << QStringList{"Battery 11.0 V below 12.0 V", "Battery 11.0 V below 12.0 V"};
        QTest::newRow("a limit typed finer than the value shows as typed")
            << battery << 12.05 << kNone << QList<double>{12.0} << true
            << QStringList{"Battery 12.0 V below 12.05 V"};
        QTest::newRow("the retard only where the model shows its gauge")
            << retard << kNone << 5.0 << QList<double>{6.0, 7.0} << false << QStringList{};
        QTest::newRow("the retard where it is shown")
            << retard << kNone << 5.0 << QList<double>{6.0, 7.0} << true
            << QStringList{"Retard 6.0 deg above 5.0 deg"};
    }
    void alarmsOnceAtAndAroundItsLimit() {
        QFETCH(int, quantity);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, values);
        QFETCH(bool, checksRetard);
        QFETCH(QStringList, alarms);
        const auto checked = static_cast<Quantity>(quantity);
        AlarmLimits limits;
        limits.limits[static_cast<std::size_t>(alarmIndex(checked))] = {limit(low), limit(high)};
        AlarmMonitor monitor;
        monitor.setLimits(limits);
        QStringList fired;
        monitor.addListener([&](const AlarmEvent& event) { fired << event.what(); });
        for (double value : values) {
            RecordingRow row;
            if (!std::isnan(value)) {
                row.setValue(checked, static_cast<float>(value));
            }
            monitor.check(row.values, checksRetard, QDateTime::currentDateTime());
        }
        QCOMPARE(fired, alarms);
    }

    void alarmLineSaysWhatAndWhen() {
        AlarmLimits limits;
        limits.limits[static_cast<std::size_t>(alarmIndex(Quantity::Injector1))].high = 12.0;
        AlarmMonitor monitor;
        monitor.setLimits(limits);
        QStringList lines;
        monitor.addListener([&](const AlarmEvent& event) { lines << event.text(); });
        RecordingRow row;
        row.setValue(Quantity::Injector1, 12.345f);
        monitor.check(row.values, true, QDateTime(QDate(2026, 5, 4), QTime(14, 3, 22)));
        // A new panel or link starts with every alarm armed: the same value alarms again.
        monitor.reset();
        monitor.check(row.values, true, QDateTime(QDate(2026, 5, 4), QTime(14, 5, 0)));
        QCOMPARE(lines, (QStringList{"14:03:22 Injector front 12.35 ms above 12.00 ms",
                                     "14:05:00 Injector front 12.35 ms above 12.00 ms"}));
    }
};

QTEST_GUILESS_MAIN(AlarmMonitorTest)
#include "AlarmMonitorTest.moc"
