// The alarms in the program against the module on a pseudo-terminal: a value past its limit
// shows on its gauge and under the panel after the tick that read it, through the real polling
// cycle, and the gauge is as usual again once the value is back.
#include "ProgramHarness.h"
#include "shell/alarms/AlarmController.h"
#include "shell/recording/RecordingController.h"
#include "sim/CommandTable.h"

using namespace quillmark;
using namespace quillmark::test;

namespace {

// Battery bytes, 18/255 V each: 11.58 V (shown 11.6) and 13.98 V (shown 14.0).
constexpr std::uint8_t kLowBattery = 164;
constexpr std::uint8_t kGoodBattery = 198;

struct Harness : ProgramHarness {
    RecordingController recordings{window, logic, state,
                                   RecordingPlatform{clock, boxes, settings, {}}};
    std::unique_ptr<AlarmController> alarms;
    Harness() {
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Alarms"),
                      QStringLiteral("Battery Low"), QStringLiteral("12.0"));
        alarms = std::make_unique<AlarmController>(window, state, recordings.tickRows(),
                                                   AlarmPlatform{settings, boxes});
    }
};

}  // namespace

class AlarmsTest final : public QObject {
    Q_OBJECT
private slots:
    void alarmShowsAfterTheTickThatReadItAndEndsWhenTheValueIsBack() {
        Harness h;
        QStringList alarms;
        h.alarms->monitor().addListener([&](const AlarmEvent& event) { alarms << event.what(); });
        h.module->engine.setFixedData(sim::command::kBattery, {kLowBattery});
        QVERIFY(h.openRealTimeForATick());
        QCOMPARE(h.bar("gauBatVolts")->alarmCaption(), QStringLiteral("11.6 V"));
        QVERIFY(h.window.panelFootLine()->toolTip().endsWith(" Battery 11.6 V below 12.0 V"));
        QVERIFY(h.window.panelFootLine()->isVisible());
        QVERIFY(h.waitForTicks(2));
        QCOMPARE(alarms, QStringList{"Battery 11.6 V below 12.0 V"});

        h.module->engine.setFixedData(sim::command::kBattery, {kGoodBattery});
        QVERIFY(h.waitForTicks(2));
        QVERIFY(h.bar("gauBatVolts")->alarmCaption().isEmpty());
        QCOMPARE(alarms.size(), 1);
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            h.module->engine.setFixedData(sim::command::kBattery, {kLowBattery});
            QVERIFY(h.waitForTicks(2));
            QVERIFY(h.window.grab().save(QString::fromLocal8Bit(shots) + "/alarm.png"));
        }
        h.logic.cmdCloseRealTimeData_Click();
    }
};

QTEST_MAIN(AlarmsTest)
#include "AlarmsTest.moc"
