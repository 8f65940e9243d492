// The simulator's command line: models, identifiers, fault choices and their effect.
#include "DataColumns.h"
#include "sim/CommandTable.h"
#include "sim/ModuleEngine.h"
#include "sim/ReplayScript.h"
#include "sim/SimOptions.h"

#include "recording/RecordingFormat.h"

#include <QtTest>

using namespace quillmark::sim;
using quillmark::RecordingRow;
using quillmark::recordingHeaderLine;
using quillmark::recordingRowLine;
using namespace std::chrono_literals;
using quillmark::test::columns;

namespace {

ParsedOptions parse(const QString& line) {
    return parseSimOptions(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

}  // namespace

class SimOptionsTest final : public QObject {
    Q_OBJECT

private slots:
    void modelsAndIdentifiers() {
        QCOMPARE(parse("").options.identifier, QByteArray("Corvane II VR"));
        QCOMPARE(parse("--model corvane").options.identifier, QByteArray("Corvane"));
        QCOMPARE(parse("--model corvane-ii").options.identifier, QByteArray("Corvane II"));
        QCOMPARE(parseSimOptions({"--model", "Corvane II"}).options.identifier,
                 QByteArray("Corvane II"));
        QCOMPARE(parseSimOptions({"--id", QString::fromUtf8("Pr\u00FCf 1")}).options.identifier,
                 QByteArray("Pr\xFC"
                            "f 1"));
        QVERIFY(!parseSimOptions({"--id", QString::fromUtf8("\u20AC")}).error.isEmpty());
        QVERIFY(!parse("--model vespa").error.isEmpty());
        QVERIFY(!parse("--model corvane --id x").error.isEmpty());
    }

    void faultsReachTheEngine() {
        const ParsedOptions p = parse(
            "--fault late@0x27 --fault wrong-ack --fault silent-first=2@33 "
            "--fault stop-after-commands=6 --no-pace --com 7 --log -");
        QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
        QVERIFY(!p.options.pace);
        QCOMPARE(p.options.com, 7);
        QCOMPARE(p.options.logPath, QStringLiteral("-"));

        ModuleEngine engine;
        applyOptions(p.options, engine);
        QVERIFY(engine.answer(command::kResync, 0us).silent());
        QVERIFY(engine.answer(command::kResync, 0us).silent());
        QCOMPARE(engine.answer(command::kResync, 0us).bytes().at(1), char(0x15));
        QCOMPARE(engine.answer(command::kSpeed, 0us).parts.front().delay, kLateDelay);
        QCOMPARE(engine.answer(command::kBattery, 0us).parts.front().delay, 0us);
        QVERIFY(!engine.answer(command::kStatus, 0us).silent());
        QVERIFY(engine.answer(command::kStatus, 0us).silent());  // the seventh command
    }

    void replay_oneRowPerTickAtTheRecordedPace() {
        const ParsedOptions p = parse("--replay run.csv --loop");
        QCOMPARE(p.options.replayPath, QStringLiteral("run.csv"));
        QVERIFY(p.options.loop);
        QByteArray text = recordingHeaderLine();
        for (int i = 0; i < 4; ++i) {
            RecordingRow row;
            row.seconds = i * 0.5;
            row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
            row.statusRaw = 6;
            row.status = QStringLiteral("a, b");
            row.answers = {{0x2F, QByteArray::fromHex(QByteArray::number(0xA0 + i, 16) + "06")}};
            // Row 2's speed read failed when it was recorded.
            if (i != 2) {
                row.answers.push_back({0x27, QByteArray::fromHex("00") + char(0x10 + i)});
            }
            text += recordingRowLine(row);
        }
        const ReplayScript script = ReplayScript::fromText(text + "9.0,torn");
        QVERIFY2(script.error.isEmpty(), qPrintable(script.error));
        QCOMPARE(script.rows.size(), std::size_t{4});

        ModuleEngine engine;
        ReplayPlayer player(script, true);
        auto tick = [&](std::chrono::microseconds at) {
            player.beforeAnswer(command::kStatus, at, engine);
            const QByteArray status = engine.answer(command::kStatus, at).bytes();
            player.beforeAnswer(command::kSpeed, at, engine);
            return std::make_pair(status, engine.answer(command::kSpeed, at).bytes());
        };
        // The first tick starts the replay wherever the module's clock stands.
        QCOMPARE(tick(7s).first, QByteArray::fromHex("A006"));
        QCOMPARE(tick(7s + 400ms).second, QByteArray::fromHex("0011"));  // a little early
        QVERIFY(tick(8s).second.isEmpty());                              // failed when recorded
        QCOMPARE(tick(8s + 300ms).first, QByteArray::fromHex("A306"));
        // Past the last row the loop starts again.
        QCOMPARE(tick(10s).first, QByteArray::fromHex("A006"));
        // A program that polls too fast holds its row; one far behind catches up.
        QCOMPARE(ReplayPlayer::nextRow(script.rows, 0, 100ms), std::size_t{0});
        QCOMPARE(ReplayPlayer::nextRow(script.rows, 0, 600ms), std::size_t{1});
        QCOMPARE(ReplayPlayer::nextRow(script.rows, 0, 1600ms), std::size_t{2});
        QVERIFY(!ReplayScript::fromText("time;rpm\n").error.isEmpty());
        QVERIFY(ReplayScript::fromText(text + "0.1,c,6,,,,,,,,,,2F:A0\n").error.contains("line 6"));
    }

    void replay_answersAsTheRecordedModel_data() {
        columns<QString, QString, QByteArray, bool>("options", "recorded", "identifier", "refused");
        QTest::newRow("model from the file") << "" << "Corvane" << QByteArray("Corvane") << false;
        QTest::newRow("file does not tell") << "" << "" << QByteArray("Corvane II VR") << false;
        QTest::newRow("agreeing --model")
            << "--model corvane-ii" << "Corvane II" << QByteArray("Corvane II") << false;
        QTest::newRow("contradicting --model")
            << "--model corvane" << "Corvane II VR" << QByteArray("Corvane") << true;
        QTest::newRow("--id naming another model")
            << "--id CORVANE-II-VR" << "Corvane II" << QByteArray("CORVANE-II-VR") << true;
    }
    void replay_answersAsTheRecordedModel() {
        QFETCH(QString, options);
        QFETCH(QString, recorded);
        QFETCH(QByteArray, identifier);
        QFETCH(bool, refused);
        ParsedOptions p = parse(options + " --replay run.csv");
        QVERIFY(p.error.isEmpty());
        const QString problem = takeRecordedModel(p.options, recorded);
        QCOMPARE(!problem.isEmpty(), refused);
        QCOMPARE(p.options.identifier, identifier);
        QVERIFY(!refused || problem.contains(recorded));
    }

    void everyFaultNameParses() {
        for (const auto& info : kFaults) {
            const QString name = QString::fromLatin1(info.name.data(), qsizetype(info.name.size()));
            const ParsedOptions p = parseSimOptions({"--fault", name});
            QVERIFY2(p.error.isEmpty(), qPrintable(name));
            QCOMPARE(int(p.options.faults.front().mode), int(info.mode));
            QVERIFY(simHelpText().contains(name));
        }
    }

    void badCommandLines_data() {
        columns<QString>("line");
        QTest::newRow("unknown option") << "--turbo";
        QTest::newRow("missing value") << "--fault";
        QTest::newRow("unknown fault") << "--fault wobbly";
        QTest::newRow("value on plain fault") << "--fault silent=3";
        QTest::newRow("tries without count") << "--fault silent-first";
        QTest::newRow("bad command") << "--fault late@0x1FF";
        QTest::newRow("stop per command") << "--fault stop-after-ms=5@27";
        QTest::newRow("com zero") << "--com 0";
        QTest::newRow("com text") << "--com x";
        QTest::newRow("loop without replay") << "--loop";
        QTest::newRow("replay without file") << "--replay";
    }
    void badCommandLines() {
        QFETCH(QString, line);
        QVERIFY(!parse(line).error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SimOptionsTest)
#include "SimOptionsTest.moc"
