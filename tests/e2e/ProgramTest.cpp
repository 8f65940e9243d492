// The whole program against the simulated module on a pseudo-terminal: opening the real-time
// view for each model, live values on the gauges, and what the user sees when the module or
// the line misbehaves.
#include "DataColumns.h"
#include "ProgramHarness.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace quillmark;
using namespace quillmark::test;
using sim::Model;

namespace {

const QList<int> kVrTick{0x2F, 0x22, 0x2B, 0x2C, 0x26, 0x27, 0x29, 0x2A, 0x2D};
const QString kNoLink =
    QStringLiteral("Cannot establish RS-232 link. Check cable and module power.");
const QString kValueTimeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");

// Calls `action` from the event loop (so: inside the polling cycle's yields) once the module
// has received `command` for the first time after now.
class WhenCommandSeen final : public QObject {
public:
    WhenCommandSeen(SimulatedModule& module, int command, std::function<void()> action)
        : module_(module), command_(command), from_(module.logged()), action_(std::move(action)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (module_.commands(from_).contains(command_)) {
                timer_.stop();
                action_();
            }
        });
        timer_.start();
    }

private:
    SimulatedModule& module_;
    int command_;
    std::uint64_t from_;
    std::function<void()> action_;
    QTimer timer_;
};

void freezeKnownValues(sim::ModuleEngine& engine) {
    engine.setFixedData(0x2F, {0x36});
    engine.setFixedData(0x22, {0x40});
    engine.setFixedData(0x2B, {0x40});
    engine.setFixedData(0x2C, {0xC0});
    engine.setFixedData(0x26, {0xAA});
    engine.setFixedData(0x27, {0xFF});
    engine.setFixedData(0x29, {0xC4, 0x09});
    engine.setFixedData(0x2A, {0xFF, 0xFF});
    engine.setFixedData(0x2D, {0xFF});
}

}  // namespace

class ProgramTest final : public QObject {
    Q_OBJECT
private slots:
    void start_storesThePortAndShowsNoPanel() {
        ProgramHarness h;
        QCOMPARE(h.settings.values.value("Quillmark/Properties/CommPort"), QStringLiteral("1"));
        QVERIFY(!h.panel()->isVisible());
        QVERIFY(!h.port.isOpen());
        QCOMPARE(h.window.findChild<QComboBox*>("cboPort")->currentText(), QStringLiteral("Com1"));
    }

    void open_eachModel_thenEveryTickReadsItsValues_data() {
        columns<int, bool, double, QString>("model", "retard", "scaleMax", "readout");
        QTest::newRow("Corvane II VR") << int(Model::CorvaneIIVR) << true << 10.0 << "10200";
        QTest::newRow("Corvane II") << int(Model::CorvaneII) << true << 8.0 << "7969";
        QTest::newRow("Corvane") << int(Model::Corvane) << false << 8.0 << "7969";
    }
    void open_eachModel_thenEveryTickReadsItsValues() {
        QFETCH(int, model);
        QFETCH(bool, retard);
        QFETCH(double, scaleMax);
        QFETCH(QString, readout);
        ProgramHarness h(static_cast<Model>(model));
        freezeKnownValues(h.module->engine);
        h.openRealTime();
        QVERIFY(h.boxes.shown.isEmpty());
        QCOMPARE(h.module->commands(), (QList<int>{0x33, 0x10}));
        QVERIFY(h.panel()->isVisible());
        QCOMPARE(h.bar("gauRetard")->isVisible(), model == int(Model::CorvaneIIVR));
        QCOMPARE(h.tach()->tachScaleMax(), scaleMax);

        const int perTick = retard ? 9 : 8;
        QVERIFY(h.waitForTicks(2, perTick));
        QList<int> tick = kVrTick.mid(0, perTick);
        QCOMPARE(h.module->commands(2), tick + tick);
        // The label shows each "\r\n" line break as a plain line break.
        QCOMPARE(h.statusText(), QStringLiteral("Engine Running\nBasic Mode\nSwap Mode"));
        QCOMPARE(h.bar("gauTPS")->pointerValue(), 20.0);
        QCOMPARE(h.bar("gauTPS")->pointerScale(), 1);
        QCOMPARE(h.bar("gauFuelMult1")->pointerValue(), -50.0);
        QCOMPARE(h.bar("gauFuelMult2")->pointerValue(), 50.0);
        QCOMPARE(h.bar("gauBatVolts")->pointerValue(), 12.0);
        QCOMPARE(h.tach()->caption(), readout);
        QCOMPARE(h.bar("gauInj1PW")->pointerValue(), 10.0);
        // 0xFF bytes travel through the line's error marking and still read once each.
        QCOMPARE(h.bar("gauInj2PW")->pointerValue(), double(262.14f));
        QCOMPARE(h.bar("gauRetard")->pointerValue(), retard ? 15.9375 : 0.0);
        QVERIFY(h.boxes.shown.isEmpty());
    }

    void gaugesCarryTheMovingEnginesValues() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        const auto answer = [&](int command) { return *h.module->engine.lastAnswer(command); };
        auto value = [&](Quantity q, int command) {
            const QByteArray a = answer(command);
            return double(convertReading(q, std::uint8_t(a.at(1)),
                                         a.size() > 2 ? std::uint8_t(a.at(2)) : 0,
                                         h.state.modelName));
        };
        QCOMPARE(h.bar("gauTPS")->pointerValue(), value(Quantity::Throttle, 0x22));
        QCOMPARE(h.bar("gauBatVolts")->pointerValue(), value(Quantity::Battery, 0x26));
        QCOMPARE(h.bar("gauInj1PW")->pointerValue(), value(Quantity::Injector1, 0x29));
        QCOMPARE(h.tach()->caption(), rpmReadout(float(value(Quantity::EngineSpeed, 0x27))));
        QVERIFY(h.bar("gauBatVolts")->pointerValue() > 11.0);
    }

    void silentModule_reportsOnceAndTheFirstTickClosesThePanel() {
        ProgramHarness h;
        h.module->engine.setFault(sim::FaultMode::Silent);
        h.boxes.answers = {BoxAnswer::Ok, BoxAnswer::Ignore};
        QElapsedTimer took;
        took.start();
        h.openRealTime();
        QVERIFY(took.elapsed() >= 5000);
        QCOMPARE(h.boxes.texts(), QStringList{kNoLink});
        QCOMPARE(h.module->commands(), QList<int>(5, 0x33));
        QVERIFY(h.panel()->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return !h.panel()->isVisible(); }, 3000));
        QCOMPARE(h.boxes.texts().last(),
                 QStringLiteral("RS-232 timeout. Check cable and click Abort or Retry."));
        QCOMPARE(h.bar("gauTPS")->pointerValue(), 0.0);
        QCOMPARE(h.tach()->caption(), QStringLiteral("0"));
        QCOMPARE(h.statusText(), QString());
        QVERIFY(!h.state.panelActive);
        QVERIFY(!h.port.isOpen());
    }

    void moduleStopsAnsweringMidRun() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        h.module->engine.setFault(sim::FaultMode::Silent);
        h.boxes.answers = {BoxAnswer::Retry};
        QVERIFY(QTest::qWaitFor([&] { return !h.panel()->isVisible(); }, 4000));
        QCOMPARE(h.boxes.shown.size(), 1);
        QVERIFY(!h.state.panelActive);
    }

    void valueReadTimeout_answers_data() {
        columns<BoxAnswer, bool, int>("answer", "panelStaysOpen", "batteryCommands");
        QTest::newRow("abort") << BoxAnswer::Abort << false << 1;
        QTest::newRow("ignore") << BoxAnswer::Ignore << true << 1;
        QTest::newRow("retry") << BoxAnswer::Retry << true << 2;
    }
    void valueReadTimeout_answers() {
        QFETCH(BoxAnswer, answer);
        QFETCH(bool, panelStaysOpen);
        QFETCH(int, batteryCommands);
        ProgramHarness h;
        h.openRealTime();
        const auto from = h.module->logged();
        h.module->engine.setFault(0x26, sim::FaultMode::Silent);
        h.boxes.answers = {answer};
        h.boxes.whileOpen = [&] {
            h.module->engine.clearFaults();
            h.pump.yield();
        };
        QVERIFY(QTest::qWaitFor([&] { return !h.boxes.shown.isEmpty(); }, 3000));
        QVERIFY(h.waitForIdleLink(3000));
        QCOMPARE(h.boxes.texts(), QStringList{kValueTimeout});
        QCOMPARE(h.panel()->isVisible(), panelStaysOpen);
        QCOMPARE(int(h.module->commands(from).count(0x26)), batteryCommands);
        if (answer == BoxAnswer::Ignore) {
            QCOMPARE(h.bar("gauBatVolts")->pointerValue(), 0.0);
        }
        if (panelStaysOpen) {
            QVERIFY(h.waitForTicks(1));
            QCOMPARE(h.boxes.shown.size(), 1);
        }
    }

    void escape_cutsOneTickShort() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        const auto from = h.module->logged();
        WhenCommandSeen press(*h.module, 0x2B, [&] {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
            QCoreApplication::sendEvent(h.window.focusWidget() ? h.window.focusWidget() : &h.window,
                                        &esc);
        });
        QVERIFY(h.waitForCommands(3));
        QVERIFY(h.waitForIdleLink(2000));
        const QList<int> cut = h.module->commands(from);
        QVERIFY2(cut.size() < 9, qPrintable(QString::number(cut.size())));
        QCOMPARE(cut.mid(0, 3), (QList<int>{0x2F, 0x22, 0x2B}));
        QVERIFY(h.waitForTicks(1));  // the next tick runs in full
        QCOMPARE(h.module->commands(h.module->logged() - 9), kVrTick);
    }

    void closeDuringATick_endsItAndClosesThePort() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        const auto from = h.module->logged();
        WhenCommandSeen click(*h.module, 0x26, [&] {
            h.panel()->findChild<QPushButton*>(QStringLiteral("cmdCloseRealTimeData"))->click();
        });
        QVERIFY(QTest::qWaitFor([&] { return !h.panel()->isVisible(); }, 3000));
        QVERIFY(h.waitForIdleLink(2000));
        QVERIFY(!h.port.isOpen());
        // No tick runs once the panel is closed: two more timer rounds send nothing.
        auto* timer = h.window.findChild<QTimer*>(QStringLiteral("tmrDataRead"));
        QVERIFY(timer != nullptr);
        QSignalSpy rounds(timer, &QTimer::timeout);
        QVERIFY(QTest::qWaitFor([&] { return rounds.size() >= 2; }, 5000));
        const QList<int> sent = h.module->commands(from);
        QVERIFY2(sent.size() <= 6, qPrintable(QString::number(sent.size())));
        QVERIFY(h.boxes.shown.isEmpty());
    }

    void reopeningWhileActive_neverInterleavesCommands() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        const auto from = h.module->logged();
        WhenCommandSeen reopen(*h.module, 0x2B, [&] { h.openRealTime(); });
        QVERIFY(QTest::qWaitFor([&] { return h.module->commands(from).contains(0x10); }, 3000));
        QVERIFY(h.waitForTicks(1));
        const QList<int> sent = h.module->commands(from);
        const int resync = int(sent.indexOf(0x33));
        QVERIFY(resync > 0);
        QCOMPARE(sent.at(resync + 1), 0x10);  // nothing came between
        QVERIFY(h.boxes.shown.isEmpty());
        QVERIFY(h.panel()->isVisible());
    }

    void portChangedWhileThePanelRuns_theNextReadUsesTheNewPort() {
        ProgramHarness h;
        SimulatedModule second;
        second.registerAs(h.settings, 2);
        QVERIFY(h.openRealTimeForATick());
        h.choose("mnuPortSetup");
        auto* list = h.window.findChild<QComboBox*>(QStringLiteral("cboPort"));
        QVERIFY(list->isVisible());
        list->setCurrentIndex(1);
        emit list->activated(1);
        QCOMPARE(h.settings.values.value("Quillmark/Properties/CommPort"), QStringLiteral("2"));
        QVERIFY(QTest::qWaitFor([&] { return second.logged() >= 9; }, 3000));
        h.window.findChild<QPushButton*>(QStringLiteral("cmdPortSelectOK"))->click();
        QVERIFY(!list->isVisible());
        QVERIFY(h.panel()->isVisible());
    }

    void exit_closesThePortAndEndsAtOnce() {
        ProgramHarness h;
        QVERIFY(h.openRealTimeForATick());
        h.choose("mnuExit");
        QCOMPARE(h.programEnd.ends, 1);
        QVERIFY(!h.port.isOpen());
    }
};

QTEST_MAIN(ProgramTest)
#include "ProgramTest.moc"
