// Line-error events: reported, or handled silently while the real-time view runs.
#include "DataColumns.h"
#include "LinkHarness.h"
#include "link/CommEvents.h"
#include "link/LinkBringUp.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

struct Harness : LinkHarness {
    CommEvents events{port, boxes, state};
    Harness() {
        port.setEventHandler([this] { events.handleLineEvent(); });
        port.open();
    }
    void deliver(LineEvent code) {
        port.raiseEvent(code);
        pump.yield();
    }
};

}  // namespace

class CommEventsTest final : public QObject {
    Q_OBJECT
private slots:
    void lineErrors_data() {
        columns<LineEvent, bool, QString, bool>("code", "active", "shown", "portOpen");
        QTest::newRow("framing, idle") << LineEvent::Framing << false << "Framing Error" << true;
        QTest::newRow("overrun, idle")
            << LineEvent::Overrun << false << "Port Hardware Overrun" << true;
        QTest::newRow("overflow, idle")
            << LineEvent::RxOverflow << false << "Receive Buffer Overflow" << true;
        QTest::newRow("parity, idle") << LineEvent::RxParity << false << "Parity Error" << true;
        QTest::newRow("dcb, idle")
            << LineEvent::DeviceControlBlock << false << "Device Control Block Error" << true;
        QTest::newRow("framing, active: ignored") << LineEvent::Framing << true << "" << true;
        QTest::newRow("parity, active: ignored") << LineEvent::RxParity << true << "" << true;
        QTest::newRow("overrun, active: closed silently")
            << LineEvent::Overrun << true << "" << false;
        QTest::newRow("overflow, active: closed silently")
            << LineEvent::RxOverflow << true << "" << false;
        QTest::newRow("dcb, active: reported")
            << LineEvent::DeviceControlBlock << true << "Device Control Block Error" << true;
        QTest::newRow("receive event: nothing") << LineEvent::Receive << false << "" << true;
        QTest::newRow("unknown code: nothing") << LineEvent{1010} << false << "" << true;
    }
    void lineErrors() {
        QFETCH(LineEvent, code);
        QFETCH(bool, active);
        QFETCH(QString, shown);
        QFETCH(bool, portOpen);
        Harness h;
        h.state.panelActive = active;
        h.boxes.answers = {BoxAnswer::Retry};
        h.deliver(code);
        QCOMPARE(h.boxes.texts(), shown.isEmpty() ? QStringList{} : QStringList{shown});
        if (!shown.isEmpty()) {
            QCOMPARE(h.boxes.shown.first().title, QStringLiteral("Communications Error"));
            QCOMPARE(h.boxes.shown.first().style, BoxStyle::RetryCancelCritical);
        }
        QCOMPARE(h.port.isOpen(), portOpen);
        QCOMPARE(int(h.state.commErrorCount), shown.isEmpty() ? 0 : 1);
    }

    void answers_retryDiscardsCancelCloses() {
        Harness h;
        h.boxes.answers = {BoxAnswer::Retry};
        h.deliver(LineEvent::RxParity);
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.port.discards, 1);

        h.boxes.answers = {BoxAnswer::Cancel};
        h.deliver(LineEvent::RxParity);
        QVERIFY(!h.port.isOpen());
    }

    void thirdReportedError_closesThePortBeforeTheBox() {
        Harness h;
        QList<bool> openWhileShown;
        h.boxes.whileOpen = [&] { openWhileShown << h.port.isOpen(); };
        h.boxes.defaultAnswer = BoxAnswer::Retry;
        h.deliver(LineEvent::Framing);
        h.deliver(LineEvent::Framing);
        h.deliver(LineEvent::Framing);
        QCOMPARE(openWhileShown, (QList<bool>{true, true, false}));
        // Retry on a closed port discards nothing and does not fail.
        QCOMPARE(h.port.discards, 2);
        QCOMPARE(h.boxes.shown.size(), 3);
    }

    void errorCount_stopsAtTheLargest16BitValue() {
        Harness h;
        h.state.commErrorCount = 32767;
        h.boxes.defaultAnswer = BoxAnswer::Retry;
        h.deliver(LineEvent::Framing);
        QCOMPARE(int(h.state.commErrorCount), 32767);
        QVERIFY(!h.port.isOpen());
    }

    void failingPortOperation_isReportedInTheSameBox() {
        Harness h;
        h.state.panelActive = true;
        h.port.failures["close"] = 1;
        h.port.failureText = QStringLiteral("Com1: device unplugged");
        h.boxes.answers = {BoxAnswer::Retry};
        h.deliver(LineEvent::Overrun);
        QCOMPARE(h.boxes.texts(), QStringList{"Com1: device unplugged"});
    }

    void eventDuringTheIdentifiersTextWait_runsBeforeTheAnswerIsComplete() {
        Harness h;
        h.port.close();
        h.port.module = [](std::uint8_t) {
            return std::optional(ScriptedAnswer{QByteArray("#Corvane II\r"), 30ms});
        };
        h.boxes.answers = {BoxAnswer::Retry};
        bool identifierIncomplete = false;
        h.boxes.whileOpen = [&] { identifierIncomplete = !h.link.linkUp; };
        h.pump.schedule(h.clock.now() + 5ms, [&] { h.port.raiseEvent(LineEvent::Framing); });
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.boxes.texts(), QStringList{"Framing Error"});
        QVERIFY(identifierIncomplete);
        QCOMPARE(h.state.modelName, QStringLiteral("Corvane II"));
    }
};

QTEST_GUILESS_MAIN(CommEventsTest)
#include "CommEventsTest.moc"
