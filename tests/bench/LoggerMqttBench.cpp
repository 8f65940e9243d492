// quillmark-logger at --interval fast publishing every sample to a local mosquitto, read by
// mosquitto_sub: the processor time and samples a second it costs against the same run without
// publishing, the time from a sample's status read to its arrival at the reader, and a long run
// with the broker stopped twice: resident memory after the first minute and rows in the file.
// QUILLMARK_MQTT_BENCH_SECONDS sets each measured run (default 15), QUILLMARK_MQTT_BENCH_ROUNDS
// the rounds of without and with (default 2), QUILLMARK_MQTT_SOAK_SECONDS the long run (default
// 60, the broker away for a tenth of it twice; 3600 for the hour, with its stops of a minute and
// QTEST_FUNCTION_TIMEOUT raised).
#include "recording/RecordingReader.h"

#include "LoggerRun.h"
#include "MosquittoBroker.h"
#include "ProcessUse.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <csignal>

using namespace quillmark;
using namespace quillmark::test;

namespace {

const QString kPrefix = QStringLiteral("bench/bike");

int secondsFrom(const char* variable, int otherwise) {
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariableIntValue(variable) : otherwise;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

}  // namespace

class LoggerMqttBench final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!MosquittoBroker::available()) {
            QSKIP("needs Debian's mosquitto and mosquitto-clients");
        }
    }

    void publishingCostAndArrivalTime() {
        const int seconds = secondsFrom("QUILLMARK_MQTT_BENCH_SECONDS", 15);
        MosquittoBroker broker;
        QVERIFY(broker.start());
        std::vector<LoggerLoad> without;
        std::vector<LoggerLoad> with;
        std::vector<double> latencyMs;
        // Alternating, so that the machine's slow and fast spells fall on both.
        const int rounds = std::max(1, secondsFrom("QUILLMARK_MQTT_BENCH_ROUNDS", 2));
        for (int round = 0; round < rounds; ++round) {
            for (const bool publishing : {false, true}) {
                MqttReader reader;
                if (publishing) {
                    reader.start(broker.port(), kPrefix + "/live");
                }
                LoggerRun run(kDriveCycle);
                run.start(
                    QStringList{"--interval", "fast"} +
                    (publishing ? QStringList{"--mqtt", broker.link(kPrefix)} : QStringList{}));
                QVERIFY(run.logger.waitForStarted());
                QTest::qWait(2000);  // bring-up and warm-up
                const qsizetype skipped = publishing ? reader.messages().size() : 0;
                const LoggerLoad measured = run.measure(seconds * 1000);
                qInfo("round %d, %s: %.1f samples/s, CPU %.2f %%", round + 1,
                      publishing ? "publishing" : "not publishing", measured.samplesPerSecond,
                      measured.cpuPercent);
                (publishing ? with : without).push_back(measured);
                QCOMPARE(run.stop(SIGTERM), 0);
                if (!publishing) {
                    continue;
                }
                const QList<MqttReader::Message>& messages = reader.messages();
                for (qsizetype i = skipped; i < messages.size(); ++i) {
                    const QDateTime sampled = QDateTime::fromString(
                        QJsonDocument::fromJson(messages[i].payload).object()["time"].toString(),
                        Qt::ISODateWithMs);
                    latencyMs.push_back(messages[i].arrival * 1000.0 -
                                        double(sampled.toMSecsSinceEpoch()));
                }
            }
        }
        const auto mean = [](const std::vector<LoggerLoad>& runs, double LoggerLoad::*field) {
            double sum = 0;
            for (const LoggerLoad& m : runs) {
                sum += m.*field;
            }
            return sum / double(runs.size());
        };
        const double rateWithout = mean(without, &LoggerLoad::samplesPerSecond);
        const double rateWith = mean(with, &LoggerLoad::samplesPerSecond);
        const double cpuWithout = mean(without, &LoggerLoad::cpuPercent);
        const double cpuWith = mean(with, &LoggerLoad::cpuPercent);
        qInfo("without publishing: %.1f samples/s, CPU %.2f %% of one core", rateWithout,
              cpuWithout);
        qInfo("publishing every sample: %.1f samples/s (%+.2f %%), CPU %.2f %% (%+.2f points)",
              rateWith, 100.0 * (rateWith / rateWithout - 1.0), cpuWith, cpuWith - cpuWithout);
        qInfo(
            "status read to arrival at mosquitto_sub: %zu samples, median %.1f ms, 95th "
            "percentile %.1f ms, slowest %.1f ms",
            latencyMs.size(), percentile(latencyMs, 0.5), percentile(latencyMs, 0.95),
            percentile(latencyMs, 1.0));
        // The figures are the result; the test fails only where publishing plainly gets in the
        // way (the machine is shared, and a busy spell moves every figure).
        QVERIFY(latencyMs.size() > std::size_t(seconds) * 20);
        QVERIFY2(percentile(latencyMs, 0.95) < 250, "arrivals far too late");
        QVERIFY2(rateWith > 0.8 * rateWithout, "publishing slows the sampling");
    }

    void longRunWithTheBrokerAwayTwice() {
        const int seconds = secondsFrom("QUILLMARK_MQTT_SOAK_SECONDS", 60);
        const int away = std::min(60, seconds / 10);
        const int warmUp = std::min(60, seconds / 6);
        MosquittoBroker broker;
        QVERIFY(broker.start());
        LoggerRun run(kDriveCycle);
        run.start({"--interval", "fast", "--mqtt", broker.link(kPrefix)});
        QVERIFY(run.logger.waitForStarted());
        std::vector<long> residentKb;
        QElapsedTimer timer;
        timer.start();
        const std::array stops{seconds / 4, seconds * 5 / 8};
        for (int s = 5; s <= seconds; s += 5) {
            QTest::qWait(std::max<qint64>(0, s * 1000 - timer.elapsed()));
            for (const int at : stops) {
                if (s == at) {
                    broker.stop();
                } else if (s == at + away) {
                    QVERIFY(broker.start());
                }
            }
            run.statusCommands();
            const long kb = useOf(run.logger.processId()).rssKb;
            if (s > warmUp) {
                residentKb.push_back(kb);
            }
            if (s % 60 == 0) {
                qInfo("after %4d s: resident %ld kB", s, kb);
            }
        }
        QCOMPARE(run.stop(SIGTERM), 0);
        const auto [low, high] = std::minmax_element(residentKb.begin(), residentKb.end());
        const QStringList files = run.files();
        QCOMPARE(files.size(), 1);
        const RecordingContents contents = readRecordingFile(files.front());
        QVERIFY(contents.ok());
        qInfo(
            "%d s at --interval fast, the broker away twice for %d s: resident %ld to %ld kB "
            "after the first %d s; %zu rows in the file, %ld samples taken",
            seconds, away, *low, *high, warmUp, contents.rows.size(), run.statusCommands());
        QCOMPARE(long(contents.rows.size()), run.statusCommands());
        // The short run CI makes has not settled yet (a quiet machine: 15.8 to 17.9 MB over the
        // first minute, as the logger alone steps up too); a leak of 2 kB a sample still goes
        // past 4 MB within it.
        QVERIFY2(*high - *low < 4096, "resident memory grows");
    }
};

QTEST_GUILESS_MAIN(LoggerMqttBench)
#include "LoggerMqttBench.moc"
