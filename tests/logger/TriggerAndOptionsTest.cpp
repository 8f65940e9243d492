// The logger's trigger on a scripted engine-speed run, and its command line's values.
#include "logger/EngineSpeedTrigger.h"
#include "logger/LoggerOptions.h"

#include <QTest>

using namespace quillmark;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::chrono::milliseconds)

class TriggerAndOptionsTest final : public QObject {
    Q_OBJECT
private slots:
    // A run is "rpm" per 100 ms sample, '-' for a failed speed read, 'x' for no sample at all
    // (the module is gone); the result has one letter per sample: S a file starts, E the file
    // ended before it (or, at an 'x', ends now), . nothing changes.
    void triggerStartsAndEndsFiles_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("changes");
        QTest::newRow("start 0 records from the first sample, never ends")
            << 0.0 << 0.0 << "0 0 0 0"
            << "S...";
        QTest::newRow("starts on reaching the start value, not below")
            << 1000.0 << 1000.0 << "999 1000 1200"
            << ".S.";
        QTest::newRow("ends after 300 ms below, counted from the first sample below")
            << 1000.0 << 1000.0 << "1200 900 900 900 900 900"
            << "S...E.";
        QTest::newRow("a sample back above restarts the count")
            << 1000.0 << 1000.0 << "1200 900 900 1200 900 900 900 900"
            << "S......E";
        QTest::newRow("failed reads neither start nor end nor reset the count")
            << 1000.0 << 1000.0 << "- 1200 900 - 900 900"
            << ".S...E";
        QTest::newRow("the next crossing starts a new file")
            << 1000.0 << 1000.0 << "1200 0 0 0 0 1100"
            << "S...ES";
        QTest::newRow("stop value below the start: between them the file goes on")
            << 2000.0 << 800.0 << "2000 1000 1000 1000 1000 700 700 700 700"
            << "S.......E";
        QTest::newRow("stop value above the start: the ending sample starts the next file")
            << 500.0 << 1000.0 << "1200 900 900 900 900"
            << "S...S";
        QTest::newRow("time without samples counts as time below the stop value")
            << 1000.0 << 1000.0 << "1200 x x x x"
            << "S..E.";
        QTest::newRow("a sample above restarts the count; silence and slow samples add up")
            << 1000.0 << 1000.0 << "1200 x x 1200 x x 900"
            << "S.....E";
        QTest::newRow("without a stop value silence never ends a file") << 0.0 << 0.0 << "0 x x x x"
                                                                        << "S....";
    }
    void triggerStartsAndEndsFiles() {
        QFETCH(double, start);
        QFETCH(double, stop);
        QFETCH(QString, run);
        QFETCH(QString, changes);
        EngineSpeedTrigger trigger({start, stop, 300ms});
        QString seen;
        std::chrono::milliseconds time{0};
        std::chrono::milliseconds lastSample{0};
        for (const QString& sample : run.split(' ')) {
            const std::optional<float> rpm =
                sample == "-" ? std::nullopt : std::optional<float>(sample.toFloat());
            if (sample != "x") {
                lastSample = time;
            }
            const TriggerChange change =
                sample == "x" ? trigger.silence(lastSample, time) : trigger.feed(time, rpm);
            switch (change) {
                case TriggerChange::Start:
                    seen += 'S';
                    break;
                case TriggerChange::Stop:
                    seen += 'E';
                    break;
                case TriggerChange::None:
                    seen += '.';
                    break;
            }
            time += 100ms;
        }
        QCOMPARE(seen, changes);
    }

    void restartEndsTheFileAndStartsAgainWhileTheTriggerHolds() {
        EngineSpeedTrigger trigger({1000, 1000, 10s});
        QCOMPARE(trigger.feed(0ms, 1500.0f), TriggerChange::Start);
        trigger.restart();
        QVERIFY(!trigger.recording());
        QCOMPARE(trigger.feed(100ms, 1500.0f), TriggerChange::Start);
    }

    void optionsTakeTheirValues_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<std::chrono::milliseconds>("interval");
        QTest::addColumn<double>("stopRpm");
        QTest::addColumn<std::chrono::milliseconds>("preTrigger");
        QTest::newRow("defaults") << QStringList{} << 500ms << 0.0 << 5000ms;
        QTest::newRow("fast, stop value from the start value")
            << QStringList{"--interval", "fast", "--start-rpm", "1000"} << 0ms << 1000.0 << 5000ms;
        QTest::newRow("name=value, fractions of seconds")
            << QStringList{"--interval=20", "--start-rpm=900", "--stop-rpm=700",
                           "--pre-trigger=0.25"}
            << 20ms << 700.0 << 250ms;
    }
    void optionsTakeTheirValues() {
        QFETCH(QStringList, args);
        QFETCH(std::chrono::milliseconds, interval);
        QFETCH(double, stopRpm);
        QFETCH(std::chrono::milliseconds, preTrigger);
        const ParsedLoggerOptions parsed = parseLoggerOptions(args);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.options.interval, interval);
        QCOMPARE(parsed.options.stopValue(), stopRpm);
        QCOMPARE(parsed.options.preTrigger, preTrigger);
    }

    // Refused before anything starts, each naming its option; the e2e test sees exit status 2.
    void optionsThatCannotWorkAreRefused_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("stop value above the start value")
            << QStringList{"--start-rpm", "1000", "--stop-rpm", "1500"} << "--stop-rpm 1500";
        QTest::newRow("stop value alone") << QStringList{"--stop-rpm", "1500"} << "--stop-rpm";
        QTest::newRow("a pre-trigger beyond the bound")
            << QStringList{"--pre-trigger", "601"} << "--pre-trigger 601";
        QTest::newRow("an option taken for a value")
            << QStringList{"--out", "--device", "/dev/ttyUSB0"} << "--out needs a value";
        QTest::newRow("a size that is not one")
            << QStringList{"--max-total", "lots"} << "--max-total lots";
        QTest::newRow("a share too large")
            << QStringList{"--keep-free", "95%"} << "--keep-free 95%";
        QTest::newRow("a word after the options")
            << QStringList{"--interval", "50", "fast"} << "unknown option fast";
        QTest::newRow("dashboard on port 0") << QStringList{"--http", "0"} << "--http 0";
        QTest::newRow("dashboard on a host name")
            << QStringList{"--http", "example.org:80"} << "--http example.org:80";
        QTest::newRow("a certificate without its key")
            << QStringList{"--http", "8080", "--tls-cert", "c.pem"} << "--tls-key";
        QTest::newRow("a token file without the dashboard")
            << QStringList{"--token-file", "t"} << "go with --http";
    }
    void optionsThatCannotWorkAreRefused() {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const QString error = parseLoggerOptions(args).error;
        QVERIFY2(error.contains(named), qPrintable(error));
    }

    void sizesAndSharesOfTheDisk() {
        QCOMPARE(parseSize("1500"), std::optional<qint64>(1500));
        QCOMPARE(parseSize("2k"), std::optional<qint64>(2048));
        QCOMPARE(parseSize("1.5G"), std::optional<qint64>(qint64(3) << 29));
        QCOMPARE(parseSize("-1M"), std::nullopt);
        const LoggerOptions options =
            parseLoggerOptions({"--keep-free", "10%", "--max-total", "20G"}).options;
        QCOMPARE(options.keptFree().of(1000), qint64(100));
        QCOMPARE(options.maxTotal, std::optional<qint64>(qint64(20) << 30));
        QCOMPARE(parseLoggerOptions({"--keep-free=300M"}).options.keptFree().of(1000), qint64(300)
                                                                                           << 20);
        // Unasked, recordings are removed only from a folder of the logger's own.
        QCOMPARE(parseLoggerOptions({}).options.keptFree().of(1000), qint64(0));
        QCOMPARE(parseLoggerOptions({"--out", "/tmp/rides"}).options.keptFree().of(1000),
                 qint64(50));
    }
};

QTEST_GUILESS_MAIN(TriggerAndOptionsTest)
#include "TriggerAndOptionsTest.moc"
