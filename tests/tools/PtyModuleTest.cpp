// The simulated module over a real pseudo-terminal: round trips, line timing, stop, reopen.
#include "Median.h"
#include "PtyPeer.h"

#include "sim/CommandTable.h"
#include "sim/ModuleEngine.h"
#include "sim/PtyModule.h"

#include <QtTest>

#include <algorithm>
#include <vector>

using namespace quillmark::sim;
using quillmark::test::median;
using namespace std::chrono;
using quillmark::sim::test::PtyPeer;

namespace {

double micros(PtyPeer::Clock::duration d) {
    return duration<double, std::micro>(d).count();
}

// Round-trip times of one command, in microseconds, from the write to the last answer byte.
std::vector<double> roundTrips(PtyPeer& peer, std::uint8_t cmd, qsizetype length, int times) {
    std::vector<double> out;
    for (int i = 0; i < times; ++i) {
        const auto sent = peer.send(cmd);
        if (peer.read(length, 500ms).size() != length) {
            return {};
        }
        out.push_back(micros(peer.lastByteAt - sent));
    }
    return out;
}

// True while the thread sits in poll() with no timeout: it sleeps until a byte or a wake-up
// comes, and cannot spin. The kernel shows the system call a thread is blocked in, with its
// arguments (the third is poll's timeout in milliseconds).
bool blockedInPollForever(long threadId) {
    QFile file(QStringLiteral("/proc/self/task/%1/syscall").arg(threadId));
    if (threadId == 0 || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QList<QByteArray> fields = file.readAll().trimmed().split(' ');
    constexpr int kPoll = 7;
    return fields.size() > 3 && fields[0].toInt() == kPoll &&
           (fields[3] == "0xffffffff" || fields[3] == "0xffffffffffffffff");
}

const double kByteMicros = duration<double, std::micro>(PtyModule::kByteTime).count();

}  // namespace

class PtyModuleTest final : public QObject {
    Q_OBJECT

private slots:
    void resyncRoundTrip() {
        ModuleEngine engine;
        PtyModule module(engine);
        module.start();
        QVERIFY(module.slavePath().starts_with("/dev/pts/"));
        PtyPeer peer(module.slavePath());
        QVERIFY(peer.isOpen());

        peer.send(command::kResync);
        const QByteArray ack = peer.read(2, 1000ms);
        QCOMPARE(ack.size(), 2);
        QCOMPARE(ack.at(1), char(kAcknowledge));
        QCOMPARE(engine.lastAnswer(command::kResync), ack);
        const auto log = engine.log().entries();
        QCOMPARE(log.size(), std::size_t{1});
        QCOMPARE(log.front().command, command::kResync);

        // 0xFF and 0x0D pass unchanged on a raw line; nothing extra follows an answer.
        engine.setLeadByte(0xFF);
        engine.setFixedData(command::kInjectorFront, {0x0D, 0xFF});
        peer.send(command::kInjectorFront);
        QCOMPARE(peer.read(4, 100ms), QByteArray("\xFF\x0D\xFF"));
        // Unknown commands stay unanswered.
        peer.send(0x77);
        QCOMPARE(peer.read(1, 100ms), QByteArray());
    }

    void pacedAnswersTakeTheLineTime() {
        ModuleEngine engine;
        engine.setIdentifier("Corvane II VR 2.10");  // 20 bytes with lead and carriage return
        PtyModule module(engine, true);
        module.start();
        PtyPeer peer(module.slavePath());

        const auto shortOnes = roundTrips(peer, command::kStatus, 2, 20);
        const auto longOnes = roundTrips(peer, command::kFirmwareId, 20, 10);
        QCOMPARE(shortOnes.size(), std::size_t{20});
        QCOMPARE(longOnes.size(), std::size_t{10});
        qInfo("2-byte answer: min %.0f us, median %.0f us (line time %.0f us)",
              *std::min_element(shortOnes.begin(), shortOnes.end()), median(shortOnes),
              (1 + 2) * kByteMicros);
        qInfo("20-byte answer: min %.0f us, median %.0f us (line time %.0f us)",
              *std::min_element(longOnes.begin(), longOnes.end()), median(longOnes),
              (1 + 20) * kByteMicros);
        // Never faster than the cable, the command byte's own time on it included: the lower
        // bounds hold on any machine.
        QVERIFY(*std::min_element(shortOnes.begin(), shortOnes.end()) >= (1 + 2) * kByteMicros);
        QVERIFY(*std::min_element(longOnes.begin(), longOnes.end()) >= (1 + 20) * kByteMicros);
        // And not much slower on an idle one.
        QVERIFY(median(shortOnes) < 5000);
        QVERIFY(median(longOnes) < 20 * kByteMicros + 5000);
    }

    void unpacedAnswersGoAtOnce() {
        ModuleEngine engine;
        engine.setIdentifier("Corvane II VR 2.10");
        PtyModule module(engine, false);
        module.start();
        PtyPeer peer(module.slavePath());
        const auto trips = roundTrips(peer, command::kFirmwareId, 20, 10);
        QCOMPARE(trips.size(), std::size_t{10});
        QVERIFY(median(trips) < 20 * kByteMicros);
    }

    void lateAnswerArrivesAfterTheDeadline() {
        ModuleEngine engine;
        engine.setFault(command::kStatus, FaultMode::LateAnswer);
        PtyModule module(engine);
        module.start();
        PtyPeer peer(module.slavePath());
        const auto sent = peer.send(command::kStatus);
        QCOMPARE(peer.read(2, 1000ms).size(), 0);
        QCOMPARE(peer.read(2, 1000ms).size(), 2);
        QVERIFY(peer.lastByteAt - sent >= kLateDelay);
    }

    void stopIsPrompt() {
        ModuleEngine engine;
        engine.setFault(FaultMode::LateAnswer);  // an answer waiting in the queue
        PtyModule module(engine);
        module.start();
        PtyPeer peer(module.slavePath());
        peer.send(command::kResync);
        QVERIFY(QTest::qWaitFor([&] { return engine.log().total() == 1; }));
        module.flood(100);
        // Stopping takes a few milliseconds; one that waited for the queue would take at least
        // the late answer's delay, and one that missed the wake-up would never end.
        const auto before = steady_clock::now();
        module.stop();
        const auto stopping = steady_clock::now() - before;
        qInfo("stopped in %.2f ms", duration<double, std::milli>(stopping).count());
        QVERIFY(stopping < kLateDelay);
        QVERIFY(!module.isRunning());
        // Idle too, and a second stop is harmless.
        module.start();
        module.stop();
        module.stop();
        QVERIFY(!module.isRunning());
    }

    void keepsServingAcrossReopenWithoutSpinning() {
        ModuleEngine engine;
        PtyModule module(engine);
        module.start();
        PtyPeer peer(module.slavePath());
        for (int round = 0; round < 3; ++round) {
            peer.send(command::kResync);
            QCOMPARE(peer.read(2, 1000ms).size(), 2);
            peer.close();
            // With the program's side closed, the server must sleep, not busy-poll a hang-up:
            // it comes to rest in poll() with no timeout.
            QVERIFY2(QTest::qWaitFor([&] { return blockedInPollForever(module.threadId()); }),
                     "simulator does not come to rest while the port is closed");
            QVERIFY(peer.open(module.slavePath()));
        }
        // Data answers carry on after a reopen, with what the test froze meanwhile.
        peer.close();
        engine.setFixedData(command::kStatus, {0x36});
        QVERIFY(peer.open(module.slavePath()));
        peer.send(command::kStatus);
        QCOMPARE(peer.read(2, 1000ms).mid(1), QByteArray("\x36"));
    }

    void floodSendsEveryByteAtLineSpeed() {
        ModuleEngine engine;
        PtyModule module(engine);
        module.start();
        PtyPeer peer(module.slavePath());
        const auto started = steady_clock::now();
        module.flood(1000, 0xA5);
        const QByteArray got = peer.read(1000, 2000ms);
        QCOMPARE(got, QByteArray(1000, char(0xA5)));
        QVERIFY(peer.lastByteAt - started >= 1000 * PtyModule::kByteTime);
        QTRY_COMPARE(module.bytesSent(), std::uint64_t{1000});
        QCOMPARE(module.bytesDropped(), std::uint64_t{0});

        // Unpaced, a flood larger than the terminal holds is cut, not blocking the server.
        ModuleEngine quick;
        PtyModule burst(quick, false);
        burst.start();
        burst.flood(200'000);
        QTRY_COMPARE(burst.bytesSent() + burst.bytesDropped(), std::uint64_t{200'000});
        QVERIFY(burst.bytesDropped() > 0);
        burst.stop();
        QVERIFY(!burst.isRunning());
    }
};

QTEST_GUILESS_MAIN(PtyModuleTest)
#include "PtyModuleTest.moc"
