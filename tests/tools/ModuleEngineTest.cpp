// Answers of the simulated module: well-formed, converted, moving, and bent by each fault.
#include "DataColumns.h"
#include "sim/CommandTable.h"
#include "sim/DataEncoder.h"
#include "sim/EngineProfile.h"
#include "sim/ModuleEngine.h"

#include <QtTest>

#include <algorithm>
#include <chrono>

using namespace quillmark::sim;
using namespace std::chrono_literals;
using quillmark::test::columns;

namespace {

constexpr std::array kDataCommands{
    command::kThrottle,      command::kBattery,      command::kSpeed,
    command::kInjectorFront, command::kInjectorRear, command::kFuelMultFront,
    command::kFuelMultRear,  command::kRetard,       command::kStatus};

int dataBytes(std::uint8_t cmd) {
    return findCommand(cmd)->dataBytes;
}

// Answer bytes as the program would read them: the lead byte dropped.
QByteArray dataOf(ModuleEngine& engine, std::uint8_t cmd, std::chrono::microseconds t = 0us) {
    return engine.answer(cmd, t).bytes().mid(1);
}

}  // namespace

class ModuleEngineTest final : public QObject {
    Q_OBJECT

private slots:
    void wellFormedAnswers() {
        ModuleEngine engine;
        const Answer ack = engine.answer(command::kResync, 0us);
        QCOMPARE(ack.bytes().size(), 2);
        QCOMPARE(ack.bytes().at(1), char(kAcknowledge));
        QCOMPARE(ack.parts.front().delay, 0us);

        for (const auto cmd : kDataCommands) {
            QCOMPARE(engine.answer(cmd, 1s).bytes().size(), 1 + dataBytes(cmd));
        }
        QVERIFY(engine.answer(0x00, 0us).silent());
        QVERIFY(engine.answer(0x28, 0us).silent());
        QVERIFY(engine.answer(0xFF, 0us).silent());
    }

    void leadByteVariesAndNeverEndsTheIdentifier() {
        ModuleEngine engine;
        QSet<char> leads;
        for (int i = 0; i < 12; ++i) {
            const QByteArray id = engine.answer(command::kFirmwareId, 0us).bytes();
            QVERIFY(id.at(0) != char(kCarriageReturn));
            QCOMPARE(id.mid(1), QByteArray("Corvane II VR\r"));
            leads.insert(id.at(0));
        }
        QVERIFY(leads.size() > 3);
        QVERIFY(leads.contains(char(kAcknowledge)));
        QVERIFY(leads.contains(char(0xFF)));
        engine.setLeadByte(0x41);
        QCOMPARE(engine.answer(command::kBattery, 0us).bytes().at(0), 'A');
    }

    void identifierTexts() {
        ModuleEngine engine(Model::Corvane);
        engine.setLeadByte(0x00);
        QCOMPARE(engine.answer(command::kFirmwareId, 0us).bytes(), QByteArray("\0Corvane\r", 9));
        engine.setModel(Model::CorvaneII);
        QCOMPARE(engine.answer(command::kFirmwareId, 0us).bytes(),
                 QByteArray("\0Corvane II\r", 12));
        // Any text goes out byte for byte, Latin-1 and zero bytes included.
        engine.setIdentifier(QString::fromUtf8("Corvané\u00FF").toLatin1() + '\0' + "x");
        QCOMPARE(engine.answer(command::kFirmwareId, 0us).bytes(),
                 QByteArray("\0Corvan\xE9\xFF\0x\r", 12));
    }

    void conversions() {
        QCOMPARE(DataEncoder::speedByte(8000, Model::CorvaneIIVR), std::uint8_t{200});
        QCOMPARE(DataEncoder::speedByte(6250, Model::CorvaneII), std::uint8_t{200});
        QCOMPARE(DataEncoder::speedByte(20000, Model::Corvane), std::uint8_t{255});
        QCOMPARE(DataEncoder::speedByte(-5, Model::Corvane), std::uint8_t{0});
        QCOMPARE(DataEncoder::batteryByte(12.0), std::uint8_t{170});
        QCOMPARE(DataEncoder::batteryByte(18.0), std::uint8_t{255});
        QCOMPARE(DataEncoder::injectorCount(10.0), std::uint16_t{2500});
        QCOMPARE(DataEncoder::injectorCount(300.0), std::uint16_t{65535});
        QCOMPARE(DataEncoder::fuelMultByte(0.0), std::uint8_t{128});
        QCOMPARE(DataEncoder::fuelMultByte(-50.0), std::uint8_t{64});
        QCOMPARE(DataEncoder::fuelMultByte(100.0), std::uint8_t{255});
        QCOMPARE(DataEncoder::retardByte(1.0), std::uint8_t{16});

        // Injector counts go out low byte first.
        EngineReading r;
        r.injectorFrontMs = 10.0;
        QCOMPARE(DataEncoder::encode(command::kInjectorFront, r, Model::Corvane),
                 (std::vector<std::uint8_t>{0xC4, 0x09}));
        r.running = false;
        QCOMPARE(DataEncoder::encode(command::kStatus, r, Model::Corvane),
                 std::vector<std::uint8_t>{0});
    }

    void speedScaleFollowsTheIdentifierSent() {
        ModuleEngine engine(Model::CorvaneIIVR);
        const auto at = 14s;  // the rev peak of the cycle
        const double rpm = EngineProfile::at(at).rpm;
        QCOMPARE(std::uint8_t(dataOf(engine, command::kSpeed, at).at(0)),
                 DataEncoder::speedByte(rpm, Model::CorvaneIIVR));
        engine.setFault(FaultMode::IdNoSpace);  // "Corvane IIVR" reads as Corvane II
        QCOMPARE(engine.effectiveModel(), Model::CorvaneII);
        QCOMPARE(std::uint8_t(dataOf(engine, command::kSpeed, at).at(0)),
                 DataEncoder::speedByte(rpm, Model::CorvaneII));
        engine.clearFaults();
        engine.setIdentifier("my CORVANE ii vr 2.1");
        QCOMPARE(engine.effectiveModel(), Model::CorvaneIIVR);
    }

    void fixedDataAndLastAnswer() {
        ModuleEngine engine;
        QVERIFY(!engine.lastAnswer(command::kSpeed));
        engine.setFixedData(command::kSpeed, {200});
        engine.setFixedData(command::kInjectorRear, {0xFF, 0xFF});
        for (const auto t : {0s, 14s, 33s}) {
            QCOMPARE(dataOf(engine, command::kSpeed, t), QByteArray("\xC8", 1));
            QCOMPARE(dataOf(engine, command::kInjectorRear, t), QByteArray("\xFF\xFF", 2));
        }
        const QByteArray sent = engine.answer(command::kSpeed, 0us).bytes();
        QCOMPARE(engine.lastAnswer(command::kSpeed), sent);
        engine.clearFixedData(command::kSpeed);
        engine.setFault(command::kSpeed, FaultMode::Silent);
        engine.answer(command::kSpeed, 0us);
        QCOMPARE(engine.lastAnswer(command::kSpeed), QByteArray());
    }

    void valuesMoveWithinPlausibleRanges() {
        double minRpm = 1e9;
        double maxRpm = 0;
        for (auto t = 0ms; t < 120s; t += 250ms) {
            const EngineReading r = EngineProfile::at(t);
            minRpm = std::min(minRpm, r.rpm);
            maxRpm = std::max(maxRpm, r.rpm);
            QVERIFY(r.rpm > 900 && r.rpm < 7000);
            QVERIFY(r.throttleRaw >= 0 && r.throttleRaw <= 255);
            QVERIFY(r.batteryVolts > 13.0 && r.batteryVolts < 14.5);
            QVERIFY(r.injectorFrontMs > 0.5 && r.injectorFrontMs < 15);
            QVERIFY(r.injectorRearMs > 0.5 && r.injectorRearMs < 15);
            QVERIFY(std::abs(r.fuelMultFrontPercent) < 20);
            QVERIFY(r.retard >= 0 && r.retard < 8);
        }
        QVERIFY(minRpm < 1200);
        QVERIFY(maxRpm > 6300);
        // Deterministic: a reading depends on the time alone, not on what was asked before.
        const EngineReading first = EngineProfile::at(12345ms);
        (void)EngineProfile::at(99s);
        const EngineReading again = EngineProfile::at(12345ms);
        QCOMPARE(again.rpm, first.rpm);
        QCOMPARE(again.throttleRaw, first.throttleRaw);
        QCOMPARE(again.injectorFrontMs, first.injectorFrontMs);
        QCOMPARE(again.retard, first.retard);
        // Repeating with the cycle.
        QVERIFY(std::abs(EngineProfile::at(14s).rpm - EngineProfile::at(74s).rpm) < 60);
        // Idle and cruise differ where the program will look.
        ModuleEngine engine;
        QVERIFY(dataOf(engine, command::kThrottle, 2s) != dataOf(engine, command::kThrottle, 14s));
        QCOMPARE(quint8(dataOf(engine, command::kStatus, 5s).at(0)) & 6, 6);
    }

    void dataFaults_data() {
        // extra: bytes beyond the full answer; -99 for silence
        columns<int, int, bool>("mode", "extra", "late");
        QTest::newRow("silent") << int(FaultMode::Silent) << -99 << false;
        QTest::newRow("short") << int(FaultMode::ShortAnswer) << -1 << false;
        QTest::newRow("extra") << int(FaultMode::ExtraBytes) << 2 << false;
        QTest::newRow("late") << int(FaultMode::LateAnswer) << 0 << true;
        QTest::newRow("garbage") << int(FaultMode::Garbage) << 0 << false;
        // Faults of the identifier or the acknowledge leave data answers alone.
        QTest::newRow("cr-first") << int(FaultMode::CrFirst) << 0 << false;
        QTest::newRow("wrong-ack") << int(FaultMode::WrongAck) << 0 << false;
    }
    void dataFaults() {
        QFETCH(int, mode);
        QFETCH(int, extra);
        QFETCH(bool, late);
        ModuleEngine engine;
        engine.setFault(FaultMode(mode));
        for (const auto cmd : kDataCommands) {
            const Answer a = engine.answer(cmd, 3s);
            if (extra == -99) {
                QVERIFY(a.silent());
                continue;
            }
            QCOMPARE(a.bytes().size(), 1 + dataBytes(cmd) + extra);
            QCOMPARE(a.parts.front().delay, late ? kLateDelay : 0us);
        }
        engine.setFault(FaultMode::SingleByte);
        QCOMPARE(engine.answer(command::kInjectorFront, 0us).bytes().size(), 1);
    }

    void acknowledgeFaults() {
        ModuleEngine engine;
        engine.setFault(command::kResync, FaultMode::WrongAck);
        const QByteArray wrong = engine.answer(command::kResync, 0us).bytes();
        QCOMPARE(wrong.size(), 2);
        QCOMPARE(wrong.at(0), char(kAcknowledge));  // only byte 1 counts
        QVERIFY(wrong.at(1) != char(kAcknowledge));
        engine.setFault(command::kResync, FaultMode::ShortAnswer);
        QCOMPARE(engine.answer(command::kResync, 0us).bytes().size(), 1);
        engine.setFault(command::kResync, FaultMode::ExtraBytes);
        QCOMPARE(engine.answer(command::kResync, 0us).bytes().mid(1, 1), QByteArray("\x06"));
        // A per-command fault leaves the others alone.
        QCOMPARE(engine.answer(command::kStatus, 0us).bytes().size(), 2);
    }

    void identifierFaults_data() {
        // after: what follows the lead character
        columns<int, QByteArray>("mode", "after");
        QTest::newRow("lower") << int(FaultMode::IdLowerCase) << QByteArray("corvane ii\r");
        QTest::newRow("no-space") << int(FaultMode::IdNoSpace) << QByteArray("Corvane IIVR\r");
        QTest::newRow("empty") << int(FaultMode::IdEmpty) << QByteArray("\r");
        QTest::newRow("zero") << int(FaultMode::IdZeroByte)
                              << QByteArray("FW\0Corvane II VR\r", 17);
        QTest::newRow("short") << int(FaultMode::ShortAnswer) << QByteArray("Corvane II VR");
        QTest::newRow("extra") << int(FaultMode::ExtraBytes) << QByteArray("Corvane II VR\r\r\x06");
    }
    void identifierFaults() {
        QFETCH(int, mode);
        QFETCH(QByteArray, after);
        ModuleEngine engine;
        engine.setFault(command::kFirmwareId, FaultMode(mode));
        const Answer a = engine.answer(command::kFirmwareId, 0us);
        QCOMPARE(a.bytes().mid(1), after);
        QCOMPARE(a.parts.size(), std::size_t{1});
    }

    void identifierTimingFaults() {
        ModuleEngine engine;
        engine.setFault(FaultMode::CrFirst);
        QCOMPARE(engine.answer(command::kFirmwareId, 0us).bytes(), QByteArray("\r"));
        engine.setFault(FaultMode::LateCr);
        const Answer a = engine.answer(command::kFirmwareId, 0us);
        QCOMPARE(a.parts.size(), std::size_t{2});
        QCOMPARE(a.parts[0].delay, 0us);
        QCOMPARE(a.parts[0].bytes.mid(1), QByteArray("Corvane II VR"));
        QCOMPARE(a.parts[1].delay, kLateDelay);
        QCOMPARE(a.parts[1].bytes, QByteArray("\r"));
        // The resync is not an identifier and answers normally.
        QCOMPARE(engine.answer(command::kResync, 0us).parts.size(), std::size_t{1});
    }

    void garbageIsRandom() {
        ModuleEngine engine;
        engine.setFault(FaultMode::Garbage);
        QSet<QByteArray> seen;
        for (int i = 0; i < 20; ++i) {
            seen.insert(engine.answer(command::kInjectorFront, 0us).bytes());
        }
        QVERIFY(seen.size() > 15);
    }

    void answerOnlyTheNthTry() {
        ModuleEngine engine;
        engine.setSilentTries(command::kResync, 2);
        QVERIFY(engine.answer(command::kResync, 0us).silent());
        QVERIFY(!engine.answer(command::kStatus, 0us).silent());
        QVERIFY(engine.answer(command::kResync, 0us).silent());
        QVERIFY(!engine.answer(command::kResync, 0us).silent());

        ModuleEngine every;
        every.setSilentTries(1);
        QVERIFY(every.answer(command::kBattery, 0us).silent());
        QVERIFY(every.answer(command::kSpeed, 0us).silent());
        QVERIFY(!every.answer(command::kBattery, 0us).silent());
    }

    void moduleDiesMidRun() {
        ModuleEngine byTime;
        byTime.stopAnsweringAfter(2s);
        QVERIFY(!byTime.answer(command::kStatus, 1999ms).silent());
        QVERIFY(byTime.answer(command::kStatus, 2s).silent());
        QVERIFY(byTime.answer(command::kResync, 10s).silent());

        ModuleEngine byCount;
        byCount.stopAnsweringAfterCommands(3);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!byCount.answer(command::kStatus, 0us).silent());
        }
        QVERIFY(byCount.answer(command::kStatus, 0us).silent());
        QVERIFY(byCount.answer(command::kResync, 0us).silent());
    }

    void logRecordsEveryCommand() {
        ModuleEngine engine;
        engine.answer(command::kResync, 5ms);
        engine.answer(0x99, 7ms);  // unknown, unanswered, still logged
        engine.setFault(FaultMode::Silent);
        engine.answer(command::kStatus, 9ms);
        const auto entries = engine.log().entries();
        QCOMPARE(entries.size(), std::size_t{3});
        QCOMPARE(entries[0].command, command::kResync);
        QCOMPARE(entries[0].time, 5ms);
        QCOMPARE(entries[1].command, std::uint8_t{0x99});
        QCOMPARE(entries[2].time, 9ms);
        QCOMPARE(engine.log().entriesFrom(2).size(), std::size_t{1});

        CommandLog small(2);
        for (int i = 0; i < 5; ++i) {
            small.append(std::chrono::microseconds(i), std::uint8_t(i));
        }
        QCOMPARE(small.total(), std::uint64_t{5});
        QCOMPARE(small.entries().front().command, std::uint8_t{3});
    }
};

QTEST_GUILESS_MAIN(ModuleEngineTest)
#include "ModuleEngineTest.moc"
