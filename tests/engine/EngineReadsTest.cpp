// The read family on a scripted module: the transaction of each read, and what Abort, Retry
// and Ignore do after a timeout.
#include "DataColumns.h"
#include "LinkHarness.h"
#include "engine/EngineReads.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

const QString kValueTimeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
const QString kStatusTimeout =
    QStringLiteral("RS-232 timeout. Check cable and click Abort or Retry.");

struct Harness : LinkHarness {
    TableModule module;
    QStringList closing;  // closing operations in the order they ran
    EngineReads reads{link, state,
                      [this] { closing << (port.isOpen() ? "panel (port open)" : "panel"); }};
    Harness() {
        port.module = [this](std::uint8_t command) { return module(command); };
        state.modelName = QStringLiteral("Corvane II VR");
    }
};

}  // namespace

class EngineReadsTest final : public QObject {
    Q_OBJECT
private slots:
    void eachRead_isOneTransactionOfItsCommand() {
        Harness h;
        QCOMPARE(h.reads.read(Quantity::Status).value, 22.0f);
        QCOMPARE(h.reads.read(Quantity::Throttle).value, 20.0f);
        QCOMPARE(h.reads.read(Quantity::FuelMultiplier1).value, -50.0f);
        QCOMPARE(h.reads.read(Quantity::FuelMultiplier2).value, 50.0f);
        QCOMPARE(h.reads.read(Quantity::Battery).value, 12.0f);
        QCOMPARE(h.reads.read(Quantity::EngineSpeed).value, 8000.0f);
        QCOMPARE(h.reads.read(Quantity::Injector1).value, 10.0f);
        QCOMPARE(h.reads.read(Quantity::Injector2).value, 1.0f);
        QCOMPARE(h.reads.read(Quantity::Retard).value, 1.0f);
        QCOMPARE(h.commands(), (QList<int>{0x2F, 0x22, 0x2B, 0x2C, 0x26, 0x27, 0x29, 0x2A, 0x2D}));
        QCOMPARE(h.port.discards, 9);
        QCOMPARE(h.port.openedPorts, QList<int>{3});  // opened once, kept open
        QVERIFY(h.link.linkUp);
        QVERIFY(h.boxes.shown.isEmpty());
    }

    void speedScale_followsTheModelOnEveryCall() {
        Harness h;
        QCOMPARE(h.reads.read(Quantity::EngineSpeed).value, 8000.0f);
        h.state.modelName = QStringLiteral("Corvane II");
        QCOMPARE(h.reads.read(Quantity::EngineSpeed).value, 6250.0f);
    }

    void extraBytesAreLeftForTheNextReadToDiscard() {
        Harness h;
        h.module.data[0x26] = QByteArray("\xAA\x01\x02", 3);
        QCOMPARE(h.reads.read(Quantity::Battery).value, 12.0f);
        QCOMPARE(h.port.unreadArrived(), 2);
        QCOMPARE(h.reads.read(Quantity::Retard).value, 1.0f);  // not confused by them
    }

    void shortAnswer_isATimeoutAndTheStrayByteIsDiscardedNextTime() {
        Harness h;
        h.module.data[0x29] = QByteArray("\xC4", 1);  // one data byte short
        h.boxes.answers = {BoxAnswer::Ignore};
        QCOMPARE(h.reads.read(Quantity::Injector1).value, 0.0f);
        QCOMPARE(h.boxes.texts(), QStringList{kValueTimeout});
        QVERIFY(!h.port.isOpen());
        QVERIFY(!h.link.linkUp);
        QCOMPARE(h.reads.read(Quantity::Battery).value,
                 12.0f);  // reopened; the stray byte did not count
        QCOMPARE(h.port.openedPorts.size(), 2);
    }

    void valueReadTimeout_answers_data() {
        columns<QList<BoxAnswer>, float, QStringList, int>("answers", "result", "closing",
                                                           "commandsSent");
        QTest::newRow("abort closes the port, then the panel")
            << QList<BoxAnswer>{BoxAnswer::Abort} << 0.0f << QStringList{"panel"} << 1;
        QTest::newRow("ignore returns 0 and leaves the panel")
            << QList<BoxAnswer>{BoxAnswer::Ignore} << 0.0f << QStringList{} << 1;
        QTest::newRow("retry sends the command again")
            << QList<BoxAnswer>{BoxAnswer::Retry} << 12.0f << QStringList{} << 2;
    }
    void valueReadTimeout_answers() {
        QFETCH(QList<BoxAnswer>, answers);
        QFETCH(float, result);
        QFETCH(QStringList, closing);
        QFETCH(int, commandsSent);
        Harness h;
        h.module.silent = {0x26};
        h.boxes.answers.assign(answers.begin(), answers.end());
        // The module comes back once the user has seen the dialog.
        h.boxes.whileOpen = [&] { h.module.silent.clear(); };
        const auto start = h.clock.now();
        QCOMPARE(h.reads.read(Quantity::Battery).value, result);
        QVERIFY(h.clock.now() - start >= 1s);
        QCOMPARE(h.boxes.texts(), QStringList{kValueTimeout});
        QCOMPARE(h.boxes.shown.first().style, BoxStyle::AbortRetryIgnoreCritical);
        QCOMPARE(h.closing, closing);
        QCOMPARE(h.commands().size(), commandsSent);
        QCOMPARE(h.link.linkUp, result != 0.0f);
    }

    // Another program that has the device open reads the answers first: the cable is fine.
    void timeout_namesTheProgramThatTookTheAnswers_data() {
        columns<bool, QString>("status", "timeoutText");
        QTest::newRow("value read") << false << kValueTimeout;
        QTest::newRow("status read") << true << kStatusTimeout;
    }
    void timeout_namesTheProgramThatTookTheAnswers() {
        QFETCH(bool, status);
        QFETCH(QString, timeoutText);
        Harness h;
        h.module.allSilent = true;
        h.port.holders = QStringLiteral("/dev/ttyUSB0 is also open in ModemManager (pid 812)");
        h.boxes.answers = {BoxAnswer::Ignore};
        if (status) {
            h.reads.read(Quantity::Status);
        } else {
            h.reads.read(Quantity::Battery).value;
        }
        QCOMPARE(h.boxes.shown.size(), 1);
        const QString text = h.boxes.texts().first();
        QVERIFY2(text.startsWith(timeoutText + QStringLiteral("\r\n\r\n") + h.port.holders + ','),
                 qPrintable(text));
    }

    void statusReadTimeout_answers_data() {
        columns<BoxAnswer, QStringList>("answer", "closing");
        QTest::newRow("abort closes the panel, then the port")
            << BoxAnswer::Abort << QStringList{"panel (port open)"};
        QTest::newRow("retry only closes the port") << BoxAnswer::Retry << QStringList{};
        QTest::newRow("ignore only closes the port") << BoxAnswer::Ignore << QStringList{};
    }
    void statusReadTimeout_answers() {
        QFETCH(BoxAnswer, answer);
        QFETCH(QStringList, closing);
        Harness h;
        // A short status answer: the port is still open when the trap acts, because the
        // failure here is a refused read, not the timeout that closes it first.
        h.port.failures["read"] = 1;
        h.boxes.answers = {answer};
        QCOMPARE(h.reads.read(Quantity::Status).value, 0.0f);
        QCOMPARE(h.closing, closing);
        QVERIFY(!h.port.isOpen());
        QVERIFY(!h.link.linkUp);
        QCOMPARE(h.commands(), QList<int>{0x2F});  // never sent again

        Harness timedOut;
        timedOut.module.silent = {0x2F};
        timedOut.boxes.answers = {answer};
        QCOMPARE(timedOut.reads.read(Quantity::Status).value, 0.0f);
        QCOMPARE(timedOut.boxes.texts(), QStringList{kStatusTimeout});
        QCOMPARE(timedOut.commands(), QList<int>{0x2F});
    }

    void failingOpen_isReportedWithThePortsOwnDescription() {
        Harness h;
        h.port.failures["open"] = -1;
        h.port.failureText = QStringLiteral("Com3 is in use by another program");
        h.boxes.answers = {BoxAnswer::Abort};
        QCOMPARE(h.reads.read(Quantity::Throttle).value, 0.0f);
        QCOMPARE(h.boxes.texts(), QStringList{"Com3 is in use by another program"});
        QCOMPARE(h.closing, QStringList{"panel"});
    }
};

QTEST_GUILESS_MAIN(EngineReadsTest)
#include "EngineReadsTest.moc"
