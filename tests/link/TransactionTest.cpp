// Resynchronisation and firmware identification on a scripted module: what goes on the line,
// when the waits end, what the user is shown, and the state left behind.
#include "DataColumns.h"
#include "LinkHarness.h"
#include "link/LinkBringUp.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

ScriptedAnswer bytes(const char* data, int length, std::chrono::nanoseconds delay = 300us) {
    return {QByteArray(data, length), delay};
}

// An identifier answer: an arbitrary first character, the text, a carriage return.
std::function<std::optional<ScriptedAnswer>(std::uint8_t)> identifier(
    const QByteArray& text, std::chrono::nanoseconds delay = 2ms) {
    return [text, delay](std::uint8_t command) -> std::optional<ScriptedAnswer> {
        if (command != 0x10) {
            return std::nullopt;
        }
        return ScriptedAnswer{QByteArray("#") + text + '\r', delay};
    };
}

const QString kTimeoutText = QStringLiteral("RS-232 timeout. Check cable and click Abort.");

}  // namespace

class TransactionTest final : public QObject {
    Q_OBJECT
private slots:
    void resync_answers_data() {
        columns<QByteArray, bool, int>("answer", "linkOk", "leftWaiting");
        QTest::newRow("any byte then the acknowledge") << QByteArray("\x41\x06", 2) << true << 0;
        QTest::newRow("only the second byte counts") << QByteArray("\x06\x41", 2) << false << 0;
        QTest::newRow("three bytes: the first two decide")
            << QByteArray("\x00\x06\x15", 3) << true << 1;
        QTest::newRow("a single byte is a short answer") << QByteArray("\x06", 1) << false << 1;
        QTest::newRow("silence") << QByteArray() << false << 0;
    }
    void resync_answers() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, linkOk);
        QFETCH(int, leftWaiting);
        LinkHarness h;
        h.port.module = [&](std::uint8_t) -> std::optional<ScriptedAnswer> {
            if (answer.isEmpty()) {
                return std::nullopt;
            }
            return ScriptedAnswer{answer, 400us};
        };
        const auto start = h.clock.now();
        resync(h.link);
        QCOMPARE(h.link.linkUp, linkOk);
        QCOMPARE(h.commands(), QList<int>{0x33});
        QVERIFY(h.boxes.shown.isEmpty());  // a failed resync is never reported here
        QVERIFY(h.port.isOpen());          // and leaves the port open for the next attempt
        QCOMPARE(h.port.openedPorts, QList<int>{3});
        QCOMPARE(h.port.unreadArrived(), leftWaiting);
        const auto took = h.clock.now() - start;
        if (answer.size() >= 2) {
            // The wait ends with the second byte, then the 2 ms pause.
            QVERIFY2(took >= 2400us && took < 3ms, qPrintable(QString::number(took.count())));
        } else {
            QVERIFY(took > 1s && took < 1s + 1ms);
        }
    }

    void resync_countedWaitRunsNoWindowEvents() {
        LinkHarness h;
        h.port.module = [](std::uint8_t) { return std::optional(bytes("\x00\x06", 2, 500us)); };
        bool eventRan = false;
        bool ranBeforeAnswerWasRead = false;
        h.pump.schedule(h.clock.now() + 100us, [&] {
            eventRan = true;
            ranBeforeAnswerWasRead = h.port.unreadArrived() > 0;
        });
        resync(h.link);
        QVERIFY(eventRan);                 // it ran in the pause after the answer...
        QVERIFY(!ranBeforeAnswerWasRead);  // ...not while the answer was being waited for
        QVERIFY(h.port.blockingWaits >= 1);
    }

    void resync_usesTheOpenPortOrOpensPortNumber() {
        LinkHarness h;
        h.port.module = answerWithAck;
        h.port.selectedPort = 9;
        h.port.open();
        resync(h.link);
        QCOMPARE(h.port.openedPorts, QList<int>{9});  // sent on the open port, unchanged
        QVERIFY(h.link.linkUp);
    }

    void resync_openFailure_showsTheDialogAndRetryOpensAgain() {
        LinkHarness h;
        h.port.module = answerWithAck;
        h.port.failures["open"] = 1;
        h.port.failureText = QStringLiteral("Com3: no such device /dev/ttyS2");
        h.boxes.answers = {BoxAnswer::Retry};
        resync(h.link);
        QCOMPARE(h.boxes.texts(), QStringList{"Com3: no such device /dev/ttyS2"});
        QCOMPARE(h.boxes.shown.first().style, BoxStyle::AbortRetryIgnoreCritical);
        QVERIFY(h.link.linkUp);

        LinkHarness aborted;
        aborted.port.failures["write"] = 1;
        aborted.boxes.answers = {BoxAnswer::Abort};
        resync(aborted.link);
        QVERIFY(!aborted.link.linkUp);
        QVERIFY(!aborted.port.isOpen());  // Abort closes the port it had opened
    }

    void resync_dialogInsideTheWait_keepsTheDeadline_data() {
        // tookMs: a reply ends the wait, then the 2 ms pause
        columns<QString, BoxAnswer, int, int>("failing", "answer", "replyMs", "tookMs");
        // The user takes 0.9 s to answer; the wait still ends one second after the command.
        QTest::newRow("retry a failed sleep") << "wait" << BoxAnswer::Retry << 1500 << 1000;
        QTest::newRow("ignore a failed count, reply in time")
            << "count" << BoxAnswer::Ignore << 950 << 952;
        QTest::newRow("ignore a failed count, no reply")
            << "count" << BoxAnswer::Ignore << 1500 << 1000;
    }
    void resync_dialogInsideTheWait_keepsTheDeadline() {
        QFETCH(QString, failing);
        QFETCH(BoxAnswer, answer);
        QFETCH(int, replyMs);
        QFETCH(int, tookMs);
        LinkHarness h;
        const auto reply = std::chrono::milliseconds(replyMs);
        h.port.module = [&](std::uint8_t) { return std::optional(bytes("\x00\x06", 2, reply)); };
        h.port.failures[failing] = 1;
        h.boxes.answers = {answer};
        h.boxes.whileOpen = [&] { h.clock.advance(900ms); };
        const auto start = h.clock.now();
        resync(h.link);
        const auto took = h.clock.now() - start;
        QCOMPARE(h.link.linkUp, replyMs < 1000);
        QVERIFY2(took >= std::chrono::milliseconds(tookMs) &&
                     took < std::chrono::milliseconds(tookMs) + 1ms,
                 qPrintable(QString::number(took.count())));
    }

    // Ignore on every box (as the unattended logger answers): each failing step shows its box
    // once, and the counted wait ends rather than test the same failing count again and again
    // until the deadline.
    void resync_failuresAnsweredIgnore_neverSpinTheWait_data() {
        columns<QStringList, int>("failing", "boxes");
        QTest::newRow("a port that cannot be opened") << QStringList{"open"} << 4;
        QTest::newRow("an open port that can neither count nor wait")
            << QStringList{"count", "wait"} << 2;
    }
    void resync_failuresAnsweredIgnore_neverSpinTheWait() {
        QFETCH(QStringList, failing);
        QFETCH(int, boxes);
        LinkHarness h;
        h.port.module = answerWithAck;
        for (const QString& operation : failing) {
            h.port.failures[operation] = -1;  // for ever
        }
        h.boxes.defaultAnswer = BoxAnswer::Ignore;
        h.boxes.whileOpen = [&] { h.clock.advance(1ms); };
        resync(h.link);
        QVERIFY(!h.link.linkUp);
        QCOMPARE(h.boxes.shown.size(), boxes);
    }

    void delayTimer_yieldsAtLeastOnceAndLastsTheDelay() {
        LinkHarness h;
        h.pump.yieldCost = 1us;
        const auto start = h.clock.now();
        h.link.delay(2);
        QVERIFY(h.clock.now() - start >= 2ms);
        QVERIFY(h.pump.yields >= 1);
        QVERIFY(h.pump.waits >= 1);  // it sleeps instead of spinning on yields
        QVERIFY(h.pump.yields + h.pump.waits < 10);
        QVERIFY_THROWS_EXCEPTION(RaisedError, h.link.delay(2147484));
    }

    void firmware_identifiers_data() {
        columns<QByteArray, QString, QString>("text", "firmwareId", "model");
        QTest::newRow("VR") << QByteArray("Corvane II VR 2.1") << "Corvane II VR 2.1"
                            << "Corvane II VR";
        QTest::newRow("case is ignored") << QByteArray("corvane ii") << "corvane ii"
                                         << "Corvane II";
        QTest::newRow("no space is not the VR") << QByteArray("Corvane IIVR") << "Corvane IIVR"
                                                << "Corvane II";
        QTest::newRow("unknown text is the plain model") << QByteArray("XYZ") << "XYZ"
                                                         << "Corvane";
        QTest::newRow("no text at all") << QByteArray() << ""
                                        << "Corvane";
        QTest::newRow("a zero byte is a character")
            << QByteArray("Corvane\0II", 10) << QString::fromLatin1("Corvane\0II", 10) << "Corvane";
        QTest::newRow("bytes are Latin-1, not UTF-8")
            << QByteArray("R\xE9v \xC3\xA9") << QString::fromLatin1("R\xE9v \xC3\xA9") << "Corvane";
    }
    void firmware_identifiers() {
        QFETCH(QByteArray, text);
        QFETCH(QString, firmwareId);
        QFETCH(QString, model);
        LinkHarness h;
        h.port.module = identifier(text);
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.state.firmwareId, firmwareId);
        QCOMPARE(h.state.modelName, model);
        QVERIFY(h.link.linkUp);
        QVERIFY(!h.port.isOpen());
        QVERIFY(h.boxes.shown.isEmpty());
        QCOMPARE(h.commands(), QList<int>{0x10});
    }

    void firmware_firstCharacterDroppedAndRestAfterCarriageReturnUnread() {
        LinkHarness h;
        h.port.module = [](std::uint8_t) { return std::optional(bytes("CVR\rtrailing", 12, 1ms)); };
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.state.firmwareId, QStringLiteral("VR"));
        QCOMPARE(h.port.unreadArrived(), 8);
    }

    void firmware_carriageReturnFirst_isAnEmptyIdentifierWithoutADialog() {
        LinkHarness h;
        h.state.modelName = QStringLiteral("Corvane II VR");
        h.port.module = [](std::uint8_t) { return std::optional(bytes("\r", 1)); };
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.state.firmwareId, QString());
        QCOMPARE(h.state.modelName, QStringLiteral("Corvane"));
        QVERIFY(h.link.linkUp);
        QVERIFY(h.boxes.shown.isEmpty());
    }

    void firmware_lateCarriageReturn_isATimeout_data() {
        columns<BoxAnswer, bool>("answer", "portOpenAtDialog");
        QTest::newRow("abort") << BoxAnswer::Abort << false;
        QTest::newRow("ignore") << BoxAnswer::Ignore << false;
    }
    void firmware_lateCarriageReturn_isATimeout() {
        QFETCH(BoxAnswer, answer);
        QFETCH(bool, portOpenAtDialog);
        LinkHarness h;
        h.state.modelName = QStringLiteral("Corvane II");
        // The text comes in time, its carriage return after the deadline.
        h.port.module = [&](std::uint8_t) {
            h.port.arrive("#Corvane II VR", 1ms);
            return std::optional(bytes("\r", 1, 1200ms));
        };
        bool openAtDialog = true;
        h.boxes.whileOpen = [&] { openAtDialog = h.port.isOpen(); };
        h.boxes.answers = {answer};
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.boxes.texts(), QStringList{kTimeoutText});
        QCOMPARE(openAtDialog, portOpenAtDialog);  // closed before the error is raised
        QVERIFY(!h.port.isOpen());
        QVERIFY(!h.link.linkUp);
        QCOMPARE(h.state.firmwareId, QString());
        QCOMPARE(h.state.modelName, QStringLiteral("Corvane II"));  // unchanged by a failed call
        QCOMPARE(h.commands(), QList<int>{0x10});
    }

    void firmware_answerWaitingWhenAYieldOverrunsTheDeadline_isInTime() {
        LinkHarness h;
        h.port.module = identifier("Corvane II", 2ms);
        // A window event that runs for 1.2 s just as the whole answer comes in.
        h.pump.schedule(h.clock.now() + 2ms, [&] { h.clock.advance(1200ms); });
        readFirmwareId(h.link, h.state);
        QVERIFY(h.boxes.shown.isEmpty());
        QVERIFY(h.link.linkUp);
        QCOMPARE(h.state.firmwareId, QStringLiteral("Corvane II"));
        QCOMPARE(h.port.unreadArrived(), 0);
    }

    void firmware_retryAfterTimeout_sendsTheCommandAgain() {
        LinkHarness h;
        int asked = 0;
        h.port.module = [&](std::uint8_t) -> std::optional<ScriptedAnswer> {
            if (++asked == 1) {
                return std::nullopt;  // silent the first time
            }
            return bytes("#Corvane II\r", 12, 1ms);
        };
        h.boxes.answers = {BoxAnswer::Retry};
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.commands(), (QList<int>{0x10, 0x10}));
        QCOMPARE(h.port.openedPorts.size(), 2);  // reopened after the timeout closed it
        QCOMPARE(h.state.modelName, QStringLiteral("Corvane II"));
        QVERIFY(h.link.linkUp);
        QCOMPARE(h.boxes.shown.size(), 1);
    }

    void firmware_textWaitYieldsSoEventsRunWhileItWaits() {
        LinkHarness h;
        h.port.module = identifier("Corvane", 50ms);
        bool ranDuringWait = false;
        h.pump.schedule(h.clock.now() + 10ms, [&] { ranDuringWait = !h.link.linkUp; });
        const auto start = h.clock.now();
        readFirmwareId(h.link, h.state);
        QVERIFY(ranDuringWait);
        // It slept until the answer came instead of spinning through thousands of yields.
        QVERIFY(h.pump.yields < 50);
        QVERIFY(h.clock.now() - start < 60ms);
    }

    void firmware_portClosedDuringTheWait_goesToTheDialog() {
        LinkHarness h;
        h.port.module = identifier("Corvane II", 20ms);
        h.pump.schedule(h.clock.now() + 5ms, [&] { h.port.close(); });
        h.boxes.answers = {BoxAnswer::Abort};
        readFirmwareId(h.link, h.state);
        QCOMPARE(h.boxes.texts(), QStringList{"Com1 is not open"});
        QVERIFY(!h.link.linkUp);
    }
};

QTEST_GUILESS_MAIN(TransactionTest)
#include "TransactionTest.moc"
