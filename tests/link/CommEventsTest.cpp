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
    void deliver(int code) {
        port.raiseEvent(code);
        pump.yield();
    }
};

}  // namespace

class CommEventsTest final : public QObject {
    Q_OBJECT
private slots:
    void lineErrors_data() {
        columns<int, bool, QString, bool>("code", "active", "shown", "portOpen");
        QTest::newRow("framing, idle") << 1004 << false << "Framing Error" << true;
        QTest::newRow("overrun, idle") << 1006 << false << "Port Hardware Overrun" << true;
        QTest::newRow("overflow, idle") << 1008 << false << "Receive Buffer Overflow" << true;
        QTest::newRow("parity, idle") << 1009 << false << "Parity Error" << true;
        QTest::newRow("dcb, idle") << 1011 << false << "Device Control Block Error" << true;
        QTest::newRow("framing, active: ignored") << 1004 << true << "" << true;
        QTest::newRow("parity, active: ignored") << 1009 << true << "" << true;
        QTest::newRow("overrun, active: closed silently") << 1006 << true << "" << false;
        QTest::newRow("overflow, active: closed silently") << 1008 << true << "" << false;
        QTest::newRow("dcb, active: reported")
            << 1011 << true << "Device Control Block Error" << true;
        QTest::newRow("receive event: nothing") << 2 << false << "" << true;
        QTest::newRow("unknown code: nothing") << 1010 << false << "" << true;
    }
    void lineErrors() {
        QFETCH(int, code);
        QFETCH(bool, active);
        QFETCH(QString, shown);
        QFETCH(bool, portOpen);
        Harness h;
        h.state.RealTimeActive = active;
        h.boxes.answers = {msg_answer::kRetry};
        h.deliver(code);
        QCOMPARE(h.boxes.texts(), shown.isEmpty() ? QStringList{} : QStringList{shown});
        if (!shown.isEmpty()) {
            QCOMPARE(h.boxes.shown.first().title, QStringLiteral("Communications Error"));
            QCOMPARE(h.boxes.shown.first().style, 21);
        }
        QCOMPARE(h.port.isOpen(), portOpen);
        QCOMPARE(int(h.state.CommErrorCount), shown.isEmpty() ? 0 : 1);
    }

    void answers_retryDiscardsCancelCloses() {
        Harness h;
        h.boxes.answers = {msg_answer::kRetry};
        h.deliver(1009);
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.port.discards, 1);

        h.boxes.answers = {msg_answer::kCancel};
        h.deliver(1009);
        QVERIFY(!h.port.isOpen());
    }

    void thirdReportedError_closesThePortBeforeTheBox() {
        Harness h;
        QList<bool> openWhileShown;
        h.boxes.whileOpen = [&] { openWhileShown << h.port.isOpen(); };
        h.boxes.defaultAnswer = msg_answer::kRetry;
        h.deliver(1004);
        h.deliver(1004);
        h.deliver(1004);
        QCOMPARE(openWhileShown, (QList<bool>{true, true, false}));
        // Retry on a closed port discards nothing and does not fail.
        QCOMPARE(h.port.discards, 2);
        QCOMPARE(h.boxes.shown.size(), 3);
    }

    void errorCount_stopsAtTheLargest16BitValue() {
        Harness h;
        h.state.CommErrorCount = 32767;
        h.boxes.defaultAnswer = msg_answer::kRetry;
        h.deliver(1004);
        QCOMPARE(int(h.state.CommErrorCount), 32767);
        QVERIFY(!h.port.isOpen());
    }

    void failingPortOperation_isReportedInTheSameBox() {
        Harness h;
        h.state.RealTimeActive = true;
        h.port.failures["close"] = 1;
        h.port.failureText = QStringLiteral("Com1: device unplugged");
        h.boxes.answers = {msg_answer::kRetry};
        h.deliver(1006);
        QCOMPARE(h.boxes.texts(), QStringList{"Com1: device unplugged"});
    }

    void eventDuringTheIdentifiersTextWait_runsBeforeTheAnswerIsComplete() {
        Harness h;
        h.port.close();
        h.port.module = [](std::uint8_t) {
            return std::optional(ScriptedAnswer{QByteArray("#Corvane II\r"), 30ms});
        };
        h.boxes.answers = {msg_answer::kRetry};
        bool identifierIncomplete = false;
        h.boxes.whileOpen = [&] { identifierIncomplete = !h.link.LinkOK; };
        h.pump.schedule(h.clock.now() + 5ms, [&] { h.port.raiseEvent(1004); });
        ReadFirmwareID(h.link, h.state);
        QCOMPARE(h.boxes.texts(), QStringList{"Framing Error"});
        QVERIFY(identifierIncomplete);
        QCOMPARE(h.state.ModelName, QStringLiteral("Corvane II"));
    }
};

QTEST_GUILESS_MAIN(CommEventsTest)
#include "CommEventsTest.moc"
