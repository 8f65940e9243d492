// The polling tick and the panel's open and close, on a scripted module.
#include "DataColumns.h"
#include "LinkHarness.h"
#include "SpyViews.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "engine/RealTimeSession.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

const QString kNoLink =
    QStringLiteral("Cannot establish RS-232 link. Check cable and module power.");
const QString kInvalidFirmware =
    QStringLiteral("Error - invalid firmware ID. Unable to identify Corvane version.\r\n");

struct Harness : LinkHarness {
    TableModule module;
    SpyRealTimeView view;
    RealTimeSession session{link, state, view};
    EngineReads reads{link, state, [this] { session.close(); }};
    PollingCycle polling{link, state, reads, view, [this] { session.close(); }};
    PollingCycle withoutGauges{link, state, reads, [this] { session.close(); }};
    std::vector<Sample> samples;
    Harness() {
        port.module = [this](std::uint8_t command) { return module(command); };
        view.panelVisible = false;
        for (PollingCycle* cycle : {&polling, &withoutGauges}) {
            cycle->samples().addConsumer([this](const Sample& s) { samples.push_back(s); });
        }
    }
    void openPanel() {
        session.openWhenLinkFree();
        port.written.clear();
    }
    // A tick in which the battery read goes unanswered and its box is answered with `answer`.
    void tickWithBatteryUnanswered(BoxAnswer answer) {
        module.silent = {0x26};
        boxes.answers = {answer};
        polling.pollOnce();
    }
};

}  // namespace

class PollingCycleTest final : public QObject {
    Q_OBJECT
private slots:
    void open_setsTheGaugesUpForTheModel_data() {
        columns<QByteArray, bool, double, double, double>("identifier", "retardShown", "scaleMax",
                                                          "markLow", "markHigh");
        QTest::newRow("VR") << QByteArray("Corvane II VR") << true << 10.0 << 9.0 << 9.5;
        QTest::newRow("II") << QByteArray("Corvane II") << false << 8.0 << 5.7 << 6.0;
        QTest::newRow("plain") << QByteArray("Corvane 1.0") << false << 8.0 << 5.7 << 6.0;
    }
    void open_setsTheGaugesUpForTheModel() {
        QFETCH(QByteArray, identifier);
        QFETCH(bool, retardShown);
        QFETCH(double, scaleMax);
        QFETCH(double, markLow);
        QFETCH(double, markHigh);
        Harness h;
        h.module.identifier = identifier;
        h.view.retard.visible = !retardShown;
        h.state.commErrorCount = 2;
        h.session.openWhenLinkFree();
        QCOMPARE(h.commands(), (QList<int>{0x33, 0x10}));
        QVERIFY(h.boxes.shown.isEmpty());
        QCOMPARE(h.view.retard.visible, retardShown);
        QCOMPARE(h.view.tach.scaleMax, scaleMax);
        QCOMPARE(h.view.tach.markLow, markLow);
        QCOMPARE(h.view.tach.markHigh, markHigh);
        QCOMPARE(h.view.tach.order, (QStringList{"TachMarkLow", "TachMarkHigh", "TachScaleMax"}));
        QVERIFY(h.view.panelVisible);
        QVERIFY(h.state.panelActive);
        QCOMPARE(int(h.state.commErrorCount), 0);
    }

    void open_silentModule_reportsOnceAfterFiveAttemptsAndTheFirstTickCloses() {
        Harness h;
        h.module.allSilent = true;
        h.boxes.defaultAnswer = BoxAnswer::Ok;
        const auto start = h.clock.now();
        h.session.openWhenLinkFree();
        QCOMPARE(h.commands(), QList<int>(5, 0x33));
        QVERIFY(h.clock.now() - start >= 5s);
        QCOMPARE(h.boxes.texts(), QStringList{kNoLink});
        QCOMPARE(h.boxes.shown.first().style, BoxStyle::OkExclamation);
        QCOMPARE(h.boxes.shown.first().title, QStringLiteral("View Real Time Data"));
        QVERIFY(!h.port.isOpen());
        QVERIFY(h.view.panelVisible);
        QVERIFY(h.state.panelActive);

        h.view.tps.value = 50;
        h.view.retard.value = 7;
        h.boxes.defaultAnswer = BoxAnswer::Retry;
        h.polling.pollOnce();
        QCOMPARE(h.boxes.texts().last(),
                 QStringLiteral("RS-232 timeout. Check cable and click Abort or Retry."));
        QCOMPARE(h.view.status, QString());
        QCOMPARE(h.view.tps.value, 0.0);
        QCOMPARE(h.view.tach.caption, QStringLiteral("0"));
        QCOMPARE(h.view.retard.value, 7.0);  // the lost-link path leaves the retard alone
        QVERIFY(!h.view.panelVisible);
        QVERIFY(!h.state.panelActive);
        QVERIFY(!h.port.isOpen());
    }

    void open_answersTakenByAnotherProgram_namesItInsteadOfBlamingTheCable() {
        Harness h;
        h.module.allSilent = true;
        h.port.holders = QStringLiteral("/dev/ttyUSB0 is also open in ModemManager (pid 812)");
        h.boxes.defaultAnswer = BoxAnswer::Ok;
        h.session.openWhenLinkFree();
        QCOMPARE(h.boxes.shown.size(), 1);
        const QString text = h.boxes.texts().first();
        QVERIFY2(text.startsWith(kNoLink + QStringLiteral("\r\n\r\n") + h.port.holders + ','),
                 qPrintable(text));
    }

    void open_invalidIdentifier_isReportedAndThePanelStillOpens() {
        Harness h;
        h.state.modelName = QStringLiteral("Corvane II VR");
        h.module.identifier = QByteArray();
        h.session.openWhenLinkFree();
        QCOMPARE(h.boxes.texts(), QStringList{kInvalidFirmware});
        QVERIFY(h.view.panelVisible);
        QVERIFY(!h.view.retard.visible);  // the empty identifier reads as the plain model
    }

    void tick_readsInOrderAndPutsEachValueOnItsGauge_data() {
        columns<QByteArray, bool>("identifier", "readsRetard");
        QTest::newRow("VR") << QByteArray("Corvane II VR") << true;
        QTest::newRow("II") << QByteArray("Corvane II") << true;
        QTest::newRow("plain") << QByteArray("Corvane") << false;
    }
    void tick_readsInOrderAndPutsEachValueOnItsGauge() {
        QFETCH(QByteArray, identifier);
        QFETCH(bool, readsRetard);
        Harness h;
        h.module.identifier = identifier;
        h.openPanel();
        h.polling.pollOnce();
        QList<int> expected{0x2F, 0x22, 0x2B, 0x2C, 0x26, 0x27, 0x29, 0x2A};
        if (readsRetard) {
            expected << 0x2D;
        }
        QCOMPARE(h.commands(), expected);
        QCOMPARE(h.view.status, QStringLiteral("Engine Running\r\nBasic Mode"));
        QCOMPARE(h.view.tps.value, 20.0);
        QCOMPARE(h.view.tps.segment, 1);
        QCOMPARE(h.view.fuel1.value, -50.0);
        QCOMPARE(h.view.fuel2.value, 50.0);
        QCOMPARE(h.view.bat.value, 12.0);
        const bool vr = identifier == "Corvane II VR";
        QCOMPARE(h.view.tach.value, vr ? 8.0 : 6.25);
        QCOMPARE(h.view.tach.caption, vr ? QStringLiteral("8000") : QStringLiteral("6250"));
        QCOMPARE(h.view.tach.displayCode, 3);
        QCOMPARE(h.view.inj1.value, 10.0);
        QCOMPARE(h.view.inj1.segment, 1);  // exactly 10 goes up
        QCOMPARE(h.view.inj2.value, 1.0);
        QCOMPARE(h.view.inj2.segment, 0);
        QCOMPARE(h.view.retard.valueSets, readsRetard ? 1 : 0);
        QVERIFY(h.boxes.shown.isEmpty());
    }

    void tick_segmentRules() {
        const QList<QPair<QByteArray, int>> throttle = {
            {QByteArray("\x30", 1), 0},  // 10.0 stays on the lowest segment
            {QByteArray("\x31", 1), 1},  // 10.625
            {QByteArray("\x40", 1), 1},  // 20.0
            {QByteArray("\x41", 1), 2},  // 21.25
        };
        for (const auto& [raw, segment] : throttle) {
            Harness h;
            h.module.data[0x22] = raw;
            h.openPanel();
            h.polling.pollOnce();
            QCOMPARE(h.view.tps.segment, segment);
        }
        Harness h;
        h.module.data[0x29] = QByteArray("\xC3\x09", 2);  // 9.996
        h.openPanel();
        h.polling.pollOnce();
        QCOMPARE(h.view.inj1.segment, 0);
    }

    void tick_doesNothingWhileThePanelIsClosed() {
        Harness h;
        h.state.escapePressed = true;
        h.polling.pollOnce();
        QVERIFY(h.port.written.isEmpty());
        QVERIFY(!h.state.escapePressed);  // every tick clears it first
    }

    void escape_cutsOneTickShort() {
        Harness h;
        h.openPanel();
        // Esc pressed while the fuel multiplier is being read.
        h.view.fuel1.valueSets = 0;
        bool pressed = false;
        h.port.module = [&](std::uint8_t command) {
            if (command == 0x2B && !pressed) {
                pressed = true;
                h.pump.post([&] { h.state.escapePressed = true; });
            }
            return h.module(command);
        };
        h.polling.pollOnce();
        QCOMPARE(h.commands(), (QList<int>{0x2F, 0x22, 0x2B}));
        QCOMPARE(h.view.fuel1.valueSets, 1);
        h.port.written.clear();
        h.polling.pollOnce();  // the next tick runs in full
        QCOMPARE(h.commands().size(), 9);
    }

    void close_duringATick_endsItAtTheNextCheck() {
        Harness h;
        h.openPanel();
        h.port.module = [&](std::uint8_t command) {
            if (command == 0x26) {
                h.pump.post([&] { h.session.close(); });
            }
            return h.module(command);
        };
        h.polling.pollOnce();
        QCOMPARE(h.commands(), (QList<int>{0x2F, 0x22, 0x2B, 0x2C, 0x26}));
        QVERIFY(!h.view.panelVisible);
        QVERIFY(!h.port.isOpen());
        h.session.close();  // twice is harmless
        QVERIFY(!h.state.panelActive);
    }

    void close_afterAViewWaitingForTheLink_cancelsIt() {
        Harness h;
        h.openPanel();
        h.module.delay = 5ms;  // a slow module: the View arrives while the tick still talks
        h.port.module = [&](std::uint8_t command) {
            if (command == 0x2B) {
                h.pump.post([&] { h.session.openWhenLinkFree(); });
            } else if (command == 0x2C) {
                h.pump.post([&] { h.session.close(); });
            }
            return h.module(command);
        };
        h.polling.pollOnce();
        QCOMPARE(h.commands(), (QList<int>{0x2F, 0x22, 0x2B, 0x2C}));  // no 0x33, 0x10 after it
        QVERIFY(!h.view.panelVisible);
        QVERIFY(!h.state.panelActive);
        h.session.openWhenLinkFree();  // a View chosen later still opens
        QVERIFY(h.view.panelVisible);
    }

    void valueReadAbort_closesThePanelAndEndsTheTick() {
        Harness h;
        h.openPanel();
        h.tickWithBatteryUnanswered(BoxAnswer::Abort);
        QCOMPARE(h.commands(), (QList<int>{0x2F, 0x22, 0x2B, 0x2C, 0x26}));
        QCOMPARE(h.view.bat.value, 0.0);  // the 0 still reaches its gauge
        QVERIFY(!h.view.panelVisible);
        QVERIFY(!h.state.panelActive);
    }

    void valueReadIgnore_goesOnWithTheNextRead() {
        Harness h;
        h.openPanel();
        h.tickWithBatteryUnanswered(BoxAnswer::Ignore);
        QCOMPARE(h.commands().size(), 9);
        QCOMPARE(h.view.bat.value, 0.0);
        QVERIFY(h.state.panelActive);
    }

    // One sample a tick, with what was read in full: a value given up on is empty there while
    // its gauge shows the 0; a tick without its status has none. The same without gauges.
    void tick_handsOnOneSampleOfWhatWasReadInFull_data() {
        columns<bool, int, BoxAnswer, QList<float>>("gauges", "silent", "answer", "values");
        const float no = -1.0f;  // none
        const QList<float> all{8000.0f, 20.0f, -50.0f, 50.0f, 12.0f, 10.0f, 1.0f, 1.0f};
        QTest::newRow("whole") << true << 0 << BoxAnswer::Ignore << all;
        QTest::newRow("without gauges") << false << 0 << BoxAnswer::Ignore << all;
        QTest::newRow("battery ignored")
            << true << 0x26 << BoxAnswer::Ignore
            << QList<float>{8000.0f, 20.0f, -50.0f, 50.0f, no, 10.0f, 1.0f, 1.0f};
        QTest::newRow("battery abandoned")
            << false << 0x26 << BoxAnswer::Abort
            << QList<float>{no, 20.0f, -50.0f, 50.0f, no, no, no, no};
        QTest::newRow("status lost") << true << 0x2F << BoxAnswer::Ignore << QList<float>{};
    }
    void tick_handsOnOneSampleOfWhatWasReadInFull() {
        QFETCH(bool, gauges);
        QFETCH(int, silent);
        QFETCH(BoxAnswer, answer);
        QFETCH(QList<float>, values);
        Harness h;
        h.openPanel();
        h.module.silent = {std::uint8_t(silent)};
        h.boxes.answers = {answer};
        (gauges ? h.polling : h.withoutGauges).pollOnce();
        QCOMPARE(h.samples.size(), std::size_t(values.isEmpty() ? 0 : 1));
        if (values.isEmpty()) {
            return;
        }
        const Sample& sample = h.samples.front();
        QCOMPARE(int(sample.status), 0x16);
        qsizetype answered = 1;
        for (std::size_t i = 0; i < kQuantities.size(); ++i) {
            const float expected = values[qsizetype(i)];
            QCOMPARE(sample.values[i], expected == -1.0f ? std::nullopt : std::optional(expected));
            answered += expected == -1.0f ? 0 : 1;
        }
        QCOMPARE(qsizetype(sample.answers.size()), answered);
        QCOMPARE(sample.answers.front(), (ModuleAnswer{0x2F, QByteArray("\x5A\x16", 2)}));
        QCOMPARE(h.view.bat.value, gauges && silent == 0 ? 12.0 : gauges ? 0.0 : -999.0);
    }

    // A marker asked for between ticks and one a check asks for (an alarm) share the sample
    // the check looked at; the next sample carries none.
    void samples_markersGoOnTheSampleOfTheirMoment() {
        Harness h;
        h.openPanel();
        SampleFanOut& fanOut = h.polling.samples();
        fanOut.addCheck([&](const Sample& sample) {
            if (sample.value(Quantity::Battery) == 12.0f) {
                fanOut.addMarker(MarkerKind::Alarm, QStringLiteral("Battery"));
                fanOut.addMarker(MarkerKind::Alarm, QStringLiteral("Speed"));
            }
        });
        fanOut.addMarker(MarkerKind::User, QStringLiteral("hill"));
        h.polling.pollOnce();
        h.module.data[0x26] = QByteArray("\xBB", 1);
        h.polling.pollOnce();
        QCOMPARE(h.samples.size(), std::size_t{2});
        QCOMPARE(h.samples[0].markers,
                 (std::vector<Marker>{{0, QStringLiteral("hill"), MarkerKind::User},
                                      {0, QStringLiteral("Battery"), MarkerKind::Alarm},
                                      {0, QStringLiteral("Speed"), MarkerKind::Alarm}}));
        QVERIFY(h.samples[1].markers.empty());
    }

    void moduleStopsMidRun_theNextStatusReadClosesThePanel() {
        Harness h;
        h.openPanel();
        h.polling.pollOnce();
        h.module.allSilent = true;
        h.boxes.answers = {BoxAnswer::Ignore};
        h.polling.pollOnce();
        QVERIFY(!h.state.panelActive);
        QCOMPARE(h.view.bat.value, 0.0);
        QCOMPARE(h.boxes.shown.size(), 1);
    }

    void ticksDueDuringAConversation_areDropped() {
        Harness h;
        h.openPanel();
        // Ticks fall due inside every pause and yield of this tick.
        int nestedTicks = 0;
        h.pump.yieldCost = 1ms;
        std::function<void()> tickAgain = [&] {
            ++nestedTicks;
            h.polling.pollOnce();
            if (nestedTicks < 20) {
                h.pump.post(tickAgain);
            }
        };
        h.pump.post(tickAgain);
        h.polling.pollOnce();
        QCOMPARE(h.commands().size(), 9);  // one cycle's commands, none interleaved
        QVERIFY(h.polling.ticksDropped() >= 9);
    }

    void ticksDueInsideTheOpenSequence_areDroppedAndReopenWaitsForTheLink() {
        Harness h;
        h.openPanel();  // active
        h.module.delay = 5ms;
        QList<int> seen;
        h.pump.post([&] {
            h.polling.pollOnce();          // inside the open's transactions: dropped
            h.session.openWhenLinkFree();  // a second open waits its turn
        });
        h.session.openWhenLinkFree();
        for (char c : h.port.written) {
            seen << static_cast<std::uint8_t>(c);
        }
        QCOMPARE(seen, (QList<int>{0x33, 0x10, 0x33, 0x10}));
        QCOMPARE(h.polling.ticksDropped(), 1);
    }
};

QTEST_GUILESS_MAIN(PollingCycleTest)
#include "PollingCycleTest.moc"
