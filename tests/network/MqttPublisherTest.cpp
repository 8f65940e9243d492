// What the publisher hands the broker connection and says on standard error, through a fake
// connection; and the live JSON objects, read back with Qt's own JSON parser.
#include "analysis/AlarmMonitor.h"
#include "engine/Quantities.h"
#include "engine/Sample.h"
#include "network/LiveJson.h"
#include "network/MqttPublisher.h"
#include "recording/RecordingRow.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace quillmark;

namespace {

// A broker connection that takes every message while it is "connected" and none otherwise,
// records the will, the farewell and what it took, and tells the changes a test asks for.
class FakeMqttConnection final : public MqttConnection {
public:
    void open(const MqttMessage& will, Listener listener) override {
        will_ = will;
        listener_ = std::move(listener);
    }
    bool publish(const MqttMessage& message) override {
        if (connected_) {
            taken.push_back(message);
        }
        return connected_;
    }
    void close(const MqttMessage& farewell) override { farewell_ = farewell; }

    void tell(MqttState state) {
        connected_ = state == MqttState::Connected;
        listener_({state, state == MqttState::Connected ? QString() : QStringLiteral("why")});
    }
    QStringList topicsTaken() const {
        QStringList topics;
        for (const MqttMessage& m : taken) {
            topics << QString::fromUtf8(m.topic);
        }
        return topics;
    }

    std::vector<MqttMessage> taken;
    MqttMessage will_;
    MqttMessage farewell_;

private:
    Listener listener_;
    bool connected_ = false;
};

Sample sample(double seconds, std::optional<QString> marker = {}) {
    Sample made;
    made.seconds = seconds;
    made.clock = QDateTime::fromString("2026-12-08T14:03:22.125+01:00", Qt::ISODateWithMs);
    made.status = 0x03;
    made.setValue(Quantity::EngineSpeed, 2000.0f);
    made.setValue(Quantity::Battery, 12.4f);
    if (marker) {
        made.markers.push_back({0, *marker, MarkerKind::User});
    }
    return made;
}

QJsonObject json(const QByteArray& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject{};
}

struct Publishing {
    FakeMqttConnection connection;
    QStringList said;
    MqttTarget target{false, {}, QStringLiteral("broker"), 1883, QStringLiteral("fleet/bike7")};
    MqttPublisher publisher;

    explicit Publishing(int every = 1)
        : publisher(connection, target, every, [this](const QString& line) { said << line; }) {
        publisher.open();
        publisher.refusalAtStart(std::chrono::milliseconds(0));
    }
};

}  // namespace

class MqttPublisherTest final : public QObject {
    Q_OBJECT
private slots:
    void willAndFarewellAreTheRetainedOfflineStatus() {
        Publishing p;
        const MqttMessage offline{"fleet/bike7/status", R"({"state":"offline"})",
                                  MqttQos::AtLeastOnce, true};
        QCOMPARE(p.connection.will_, offline);
        p.publisher.close();
        QCOMPARE(p.connection.farewell_, offline);
    }

    // Each connection starts with the retained online status, then the events held meanwhile,
    // oldest first; the status is published again only when it changed.
    void connectingPublishesStatusThenHeldEventsInOrder() {
        Publishing p;
        p.publisher.setStatus({"Corvane II VR", "recording", "a.csv"});
        p.publisher.publishSample(sample(10.0, QStringLiteral("first")));
        p.publisher.publishSample(sample(10.5, QStringLiteral("second")));
        QVERIFY(p.connection.taken.empty());
        p.connection.tell(MqttState::Connected);
        QCOMPARE(p.connection.topicsTaken(),
                 QStringList({"fleet/bike7/status", "fleet/bike7/marker", "fleet/bike7/marker"}));
        const QJsonObject status = json(p.connection.taken[0].payload);
        QVERIFY(p.connection.taken[0].retain);
        QCOMPARE(status["state"].toString(), QString("online"));
        QCOMPARE(status["model"].toString(), QString("Corvane II VR"));
        QCOMPARE(status["file"].toString(), QString("a.csv"));
        QCOMPARE(json(p.connection.taken[1].payload)["text"].toString(), QString("first"));
        QCOMPARE(json(p.connection.taken[2].payload)["t"].toDouble(), 0.5);
        p.publisher.setStatus({"Corvane II VR", "recording", "a.csv"});
        p.publisher.setStatus({"Corvane II VR", "link lost", "a.csv"});
        QCOMPARE(p.connection.topicsTaken().count("fleet/bike7/status"), 2);
    }

    void heldEventsAreBoundedTheOldestGiveWay() {
        Publishing p;
        for (std::size_t i = 0; i < kHeldMqttEvents + 5; ++i) {
            p.publisher.publishSample(sample(double(i), QString::number(i)));
        }
        QCOMPARE(p.publisher.droppedEvents(), 5L);
        p.connection.tell(MqttState::Connected);
        QCOMPARE(p.connection.taken.size(), kHeldMqttEvents + 1);
        QCOMPARE(json(p.connection.taken[1].payload)["text"].toString(), QString("5"));
    }

    void everyNthSampleGoesLiveAndNoneWhileAway_data() {
        QTest::addColumn<int>("every");
        QTest::addColumn<int>("live");
        QTest::newRow("every sample") << 1 << 10;
        QTest::newRow("every third") << 3 << 3;
    }
    void everyNthSampleGoesLiveAndNoneWhileAway() {
        QFETCH(int, every);
        Publishing p(every);
        p.publisher.publishSample(sample(0.0));
        p.connection.tell(MqttState::Connected);
        for (int i = 1; i <= 10; ++i) {
            p.publisher.publishSample(sample(i * 0.1));
        }
        QTEST(int(p.connection.topicsTaken().count("fleet/bike7/live")), "live");
        QCOMPARE(p.connection.taken.front().qos, MqttQos::AtLeastOnce);  // the status
        QCOMPARE(p.connection.taken.back().qos, MqttQos::AtMostOnce);
    }

    // However often the connection tries, an absence is one line and the return another.
    void brokerGoingAndComingIsSaidOnceEach() {
        Publishing p;
        for (const MqttState state :
             {MqttState::Unreachable, MqttState::Unreachable, MqttState::Connected, MqttState::Lost,
              MqttState::Unreachable, MqttState::Unreachable, MqttState::Refused,
              MqttState::Refused, MqttState::Connected}) {
            p.connection.tell(state);
        }
        QCOMPARE(p.said.size(), 5);
        QVERIFY(p.said[0].startsWith("MQTT: cannot reach the broker at mqtt://broker:1883/"));
        QVERIFY(p.said[1].startsWith("MQTT: the broker is back"));
        QVERIFY(p.said[2].startsWith("MQTT: lost the broker"));
        QVERIFY(p.said[3].contains("refused the login (why)"));
        QVERIFY(p.said[4].startsWith("MQTT: the broker is back"));
    }

    void liveObjectHoldsEveryQuantityNullForAFailedRead() {
        Sample marked = sample(3.0, QStringLiteral("hill \"start\""));
        marked.markers.push_back(
            {0, QStringLiteral("Battery 11.6 V below 12.0 V"), MarkerKind::Alarm});
        const QByteArray text = liveSampleJson(marked, 1.25);
        const QJsonObject live = json(text);
        QCOMPARE(live.size(), int(kQuantities.size()) + 4);
        QCOMPARE(live["time"].toString(), QString("2026-12-08T14:03:22.125+01:00"));
        QCOMPARE(live["t"].toDouble(), 1.25);
        QCOMPARE(live["status"].toString(), statusOnOneLine(0x03));
        QCOMPARE(live["engine_speed_rpm"].toDouble(), 2000.0);
        // The file's text for the single, not the double nearest to it.
        QVERIFY(text.contains("\"battery_v\":12.4,"));
        QVERIFY(live["throttle_pct"].isNull());
        QCOMPARE(live["marker"].toString(),
                 QString("hill \"start\" / Battery 11.6 V below 12.0 V"));
        const std::vector<QByteArray> markers = liveMarkersJson(marked, 1.25);
        QCOMPARE(markers.size(), std::size_t{2});
        QCOMPARE(json(markers[1])["kind"].toString(), QString("alarm"));
        QVERIFY(!json(liveSampleJson(sample(3.0), 1.25)).contains("marker"));
        QVERIFY(liveMarkersJson(sample(3.0), 1.25).empty());
    }

    void alarmObjectNamesQuantitySideAndLimit() {
        const AlarmEvent alarm{Quantity::Battery, AlarmSide::Low, double(11.6f), 12.0,
                               QDateTime::currentDateTime()};
        const QJsonObject object = json(alarmJson(alarm));
        QCOMPARE(object["quantity"].toString(), QString("battery_v"));
        QCOMPARE(object["side"].toString(), QString("low"));
        QCOMPARE(object["value"].toDouble(), 11.6);
        QCOMPARE(object["limit"].toDouble(), 12.0);
        QCOMPARE(object["text"].toString(), QString(alarm.what()));
    }
};

QTEST_GUILESS_MAIN(MqttPublisherTest)
#include "MqttPublisherTest.moc"
