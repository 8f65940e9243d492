// quillmark-logger publishing to Debian's mosquitto broker, read back with Debian's mosquitto_sub:
// the live values against the file's rows, the retained status and the last will, a marker and
// an alarm; the broker stopped, refusing the login and back, with no row lost; a login refused
// at start.
#include "engine/Quantities.h"
#include "recording/RecordingReader.h"
#include "sim/CommandTable.h"

#include "LoggerRun.h"
#include "MosquittoBroker.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <map>

using namespace quillmark;
using namespace quillmark::sim;
using namespace quillmark::test;

namespace {

constexpr std::uint8_t kHighSpeed = 50;  // 2000 rpm on a Corvane II VR
const QString kPrefix = QStringLiteral("fleet/bike7");

QJsonObject json(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}

// A reader that comes now finds the offline status kept for it.
bool offlineStatusKept(quint16 port, const QString& user = {}, const QString& password = {}) {
    MqttReader reader;
    reader.start(port, kPrefix + "/status", user, password);
    return reader.waitFor(
        [](const MqttReader::Message& m) {
            return m.retained && json(m.payload)["state"] == "offline";
        },
        5000);
}

// The one recording the run wrote; empty (not ok) when there is none or more than one.
RecordingContents onlyFile(const LoggerRun& run) {
    const QStringList files = run.files();
    return files.size() == 1 ? readRecordingFile(files.front()) : RecordingContents{};
}

}  // namespace

class LoggerMqttTest final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (!MosquittoBroker::available()) {
            QSKIP("needs Debian's mosquitto and mosquitto-clients");
        }
    }

    void publishesLiveValuesEventsAndARetainedStatusWithAWill() {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        MqttReader reader;
        reader.start(broker.port(), kPrefix + "/#");
        LoggerRun run;
        const QString limits = run.writeFile("limits.ini", "Engine speed High=1500\n");
        run.start({"--interval", "50", "--alarms", limits, "--mqtt", broker.link(kPrefix)});
        QVERIFY2(run.waitFor("MQTT: publishing to mqtt://127.0.0.1:"), run.errors.constData());
        QVERIFY(reader.waitForTopic(kPrefix + "/live", 8000));

        // A reader that comes later finds the status kept for it, which follows the logger's
        // state within a second.
        QVERIFY(run.waitFor("Recording to"));
        QTest::qWait(1500);
        MqttReader later;
        later.start(broker.port(), kPrefix + "/status");
        QVERIFY2(later.waitFor(
                     [](const MqttReader::Message& m) {
                         const QJsonObject status = json(m.payload);
                         return m.retained && status["state"] == "online" &&
                                status["model"] == "Corvane II VR" &&
                                status["link"] == "recording" &&
                                status["file"].toString().endsWith(".csv");
                     },
                     5000),
                 later.messages().isEmpty() ? "none" : later.messages().back().payload.constData());

        run.sendSignal(SIGUSR1);
        QVERIFY(reader.waitForTopic(kPrefix + "/marker", 5000));
        run.engine.setFixedData(command::kSpeed, {kHighSpeed});
        QVERIFY(reader.waitFor(
            [](const MqttReader::Message& m) {
                const QJsonObject alarm = json(m.payload);
                return m.topic == kPrefix + "/alarm" && alarm["quantity"] == "engine_speed_rpm" &&
                       alarm["value"].toDouble() == 2000 && alarm["limit"].toDouble() == 1500;
            },
            5000));
        QTest::qWait(1500);  // past the sync period: the rows so far are in the file

        run.stop(SIGKILL);
        // The broker's last will: offline, and kept for readers to come.
        QVERIFY(reader.waitFor(
            [](const MqttReader::Message& m) {
                return m.topic == kPrefix + "/status" && json(m.payload)["state"] == "offline";
            },
            5000));
        QVERIFY(offlineStatusKept(broker.port()));

        // Every live value is the one the file holds for that sample.
        const RecordingContents contents = onlyFile(run);
        QVERIFY(contents.ok());
        std::map<QString, const RecordingRow*> rows;
        for (const RecordingRow& row : contents.rows) {
            rows[row.clock] = &row;
        }
        int compared = 0;
        bool sawHighSpeed = false;
        for (const MqttReader::Message& m : reader.on(kPrefix + "/live")) {
            const QJsonObject live = json(m.payload);
            const auto row = rows.find(live["time"].toString());
            if (row == rows.end()) {
                continue;  // sampled after the file's last sync
            }
            ++compared;
            QCOMPARE(live["status"].toString(), row->second->status);
            for (const QuantityFacts& facts : kQuantities) {
                const std::optional<float> value = row->second->value(facts.quantity);
                const QJsonValue sent = live[QLatin1String(facts.key)];
                QVERIFY2(value ? float(sent.toDouble()) == *value : sent.isNull(), facts.key);
            }
            sawHighSpeed = sawHighSpeed || live["engine_speed_rpm"].toDouble() == 2000;
        }
        qInfo("%d live samples compared with the file", compared);
        QVERIFY(compared >= 20);
        QVERIFY(sawHighSpeed);
    }

    // The broker stops, comes back refusing the logger's login, then takes it again: sampling
    // and the file go on untouched, and each change is one line.
    void brokerAwayRefusingAndBackLosesNoRow() {
        MosquittoBroker broker;
        QVERIFY(broker.requireLogin("rider", "right"));
        QVERIFY(broker.start());
        LoggerRun run;
        const QString password = run.writeFile("password", "right\n");
        run.start({"--interval", "fast", "--mqtt", broker.link(kPrefix, "rider"),
                   "--mqtt-password-file", password});
        QVERIFY(run.waitFor("MQTT: publishing to"));
        QTest::qWait(1000);

        broker.stop();
        QVERIFY(run.waitFor("MQTT: lost the broker"));
        QTest::qWait(3000);  // retries in between say nothing
        QVERIFY(broker.requireLogin("rider", "changed"));
        QVERIFY(broker.start());
        QVERIFY(run.waitFor("refused the login", 20000));
        QTest::qWait(2000);
        broker.stop();
        QVERIFY(broker.requireLogin("rider", "right"));
        QVERIFY(broker.start());
        MqttReader reader;
        reader.start(broker.port(), kPrefix + "/live", "rider", "right");
        QVERIFY(run.waitFor("MQTT: the broker is back", 40000));
        QVERIFY(reader.waitForTopic(kPrefix + "/live", 5000));
        run.stop(SIGTERM);
        QCOMPARE(run.logger.exitCode(), 0);
        // Ending, it leaves the offline status itself.
        QVERIFY(offlineStatusKept(broker.port(), "rider", "right"));
        // Said once each, however many tries came between (a try while the broker was down
        // between its two starts may add one line saying it cannot be reached).
        QCOMPARE(run.errors.count("MQTT: lost the broker"), 1);
        QCOMPARE(run.errors.count("refused the login"), 1);
        QCOMPARE(run.errors.count("MQTT: the broker is back"), 1);
        QVERIFY(run.errors.count("MQTT: cannot reach") <= 1);

        const RecordingContents contents = onlyFile(run);
        QVERIFY(contents.ok());
        QCOMPARE(long(contents.rows.size()), run.statusCommands());
        double gap = 0;
        for (std::size_t i = 1; i < contents.rows.size(); ++i) {
            gap = std::max(gap, contents.rows[i].seconds - contents.rows[i - 1].seconds);
        }
        // A publish that waited for the network would stall the sampling for seconds.
        qInfo("%zu rows, longest gap %.3f s", contents.rows.size(), gap);
        QVERIFY2(gap < 0.5, qPrintable(QString::number(gap)));
    }

    // mqtts:// checks the broker's certificate: against the file given, or the system's, which
    // do not know this one.
    void tlsBrokerIsCheckedAgainstTheGivenCertificates_data() {
        QTest::addColumn<bool>("givesCertificate");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("--mqtt-ca") << true << QByteArray("MQTT: publishing to mqtts://");
        QTest::newRow("the system's") << false << QByteArray("MQTT: cannot reach the broker");
    }
    void tlsBrokerIsCheckedAgainstTheGivenCertificates() {
        QFETCH(bool, givesCertificate);
        QFETCH(QByteArray, says);
        MosquittoBroker broker;
        const QString certificate = broker.requireTls();
        if (certificate.isEmpty()) {
            QSKIP("needs openssl to make the broker's certificate");
        }
        QVERIFY(broker.start());
        LoggerRun run;
        const QString link = broker.link(kPrefix).replace("mqtt://", "mqtts://");
        run.start(givesCertificate ? QStringList{"--mqtt", link, "--mqtt-ca", certificate}
                                   : QStringList{"--mqtt", link});
        QVERIFY2(run.waitFor(says), run.errors.constData());
        run.stop(SIGTERM);
        QCOMPARE(run.logger.exitCode(), 0);
    }

    void loginRefusedAtStartExitsTwo() {
        MosquittoBroker broker;
        QVERIFY(broker.requireLogin("rider", "right"));
        QVERIFY(broker.start());
        LoggerRun run;
        const QString password = run.writeFile("password", "wrong\n");
        run.start({"--mqtt", broker.link(kPrefix, "rider"), "--mqtt-password-file", password});
        QVERIFY(run.logger.waitForFinished(10000));
        run.errors += run.logger.readAllStandardError();
        QCOMPARE(run.logger.exitCode(), 2);
        QCOMPARE(run.errors.count('\n'), 1);
        QVERIFY2(run.errors.contains("refused the login"), run.errors.constData());
        QVERIFY(!run.errors.contains("wrong"));
    }
};

QTEST_GUILESS_MAIN(LoggerMqttTest)
#include "LoggerMqttTest.moc"
