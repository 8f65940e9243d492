// The simulator's command line: models, identifiers, fault choices and their effect.
#include "sim/CommandTable.h"
#include "sim/ModuleEngine.h"
#include "sim/SimOptions.h"

#include <QtTest>

using namespace quillmark::sim;
using namespace std::chrono_literals;

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
        QTest::addColumn<QString>("line");
        QTest::newRow("unknown option") << "--turbo";
        QTest::newRow("missing value") << "--fault";
        QTest::newRow("unknown fault") << "--fault wobbly";
        QTest::newRow("value on plain fault") << "--fault silent=3";
        QTest::newRow("tries without count") << "--fault silent-first";
        QTest::newRow("bad command") << "--fault late@0x1FF";
        QTest::newRow("stop per command") << "--fault stop-after-ms=5@27";
        QTest::newRow("com zero") << "--com 0";
        QTest::newRow("com text") << "--com x";
    }
    void badCommandLines() {
        QFETCH(QString, line);
        QVERIFY(!parse(line).error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SimOptionsTest)
#include "SimOptionsTest.moc"
