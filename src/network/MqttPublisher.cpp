#include "network/MqttPublisher.h"

#include "analysis/AlarmMonitor.h"
#include "engine/Sample.h"
#include "network/JsonText.h"
#include "network/LiveJson.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace quillmark {

namespace {

constexpr const char* kLiveTopic = "live";
constexpr const char* kMarkerTopic = "marker";
constexpr const char* kAlarmTopic = "alarm";
constexpr const char* kStatusTopic = "status";

// A broker that is away and one that is gone again after a moment are one absence, said once.
MqttState absence(MqttState state) {
    return state == MqttState::Lost ? MqttState::Unreachable : state;
}

}  // namespace

MqttPublisher::MqttPublisher(MqttConnection& connection, const MqttTarget& target, int every,
                             Say say)
    : connection_(connection), target_(target), every_(std::max(1, every)), say_(std::move(say)) {}

void MqttPublisher::open() {
    connection_.open(
        {target_.topic(kStatusTopic), statusPayload(false), MqttQos::AtLeastOnce, true},
        [this](const MqttChange& change) { changed(change); });
}

QString MqttPublisher::refusalAtStart(std::chrono::milliseconds time) {
    const QDeadlineTimer deadline(time);
    while (!latest_ && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                        int(std::max<qint64>(1, deadline.remainingTime())));
    }
    if (latest_ && latest_->state == MqttState::Refused) {
        return QStringLiteral("the broker at %1 refused the login (%2)")
            .arg(target_.link(), latest_->reason);
    }
    // From here on each change is said as it comes; the one that came while waiting, now.
    started_ = true;
    if (latest_) {
        say(*latest_);
    }
    return {};
}

void MqttPublisher::publishSample(const Sample& sample) {
    if (!firstSample_) {
        firstSample_ = sample.seconds;
    }
    const double seconds = sample.seconds - *firstSample_;
    // Samples are live data: one that finds no broker is not kept for later.
    if (samples_++ % every_ == 0 && connected_) {
        connection_.publish({target_.topic(kLiveTopic), liveSampleJson(sample, seconds),
                             MqttQos::AtMostOnce, false});
    }
    for (QByteArray& marker : liveMarkersJson(sample, seconds)) {
        publishEvent({target_.topic(kMarkerTopic), std::move(marker), MqttQos::AtLeastOnce, false});
    }
}

void MqttPublisher::publishAlarm(const AlarmEvent& alarm) {
    publishEvent({target_.topic(kAlarmTopic), alarmJson(alarm), MqttQos::AtLeastOnce, false});
}

void MqttPublisher::setStatus(const PublishedStatus& status) {
    if (status == status_) {
        return;
    }
    status_ = status;
    if (connected_) {
        publishStatus();
    }
}

void MqttPublisher::close() {
    connection_.close(
        {target_.topic(kStatusTopic), statusPayload(false), MqttQos::AtLeastOnce, true});
    connected_ = false;
}

void MqttPublisher::changed(const MqttChange& change) {
    latest_ = change;
    connected_ = change.state == MqttState::Connected;
    if (started_) {
        say(change);
    }
    if (!connected_) {
        return;
    }
    // A broker that comes back may have lost the retained status, or hold the will's.
    publishStatus();
    while (!held_.empty() && connection_.publish(held_.front())) {
        held_.pop_front();
    }
}

void MqttPublisher::say(const MqttChange& change) {
    // Still away, or still connected: nothing new to tell.
    if (said_ && absence(*said_) == absence(change.state)) {
        return;
    }
    const bool before = said_.has_value();
    said_ = change.state;
    const QString link = target_.link();
    switch (change.state) {
        case MqttState::Connected:
            say_(before
                     ? QStringLiteral("MQTT: the broker is back; publishing again to %1.").arg(link)
                     : QStringLiteral("MQTT: publishing to %1.").arg(link));
            return;
        case MqttState::Unreachable:
            say_(QStringLiteral("MQTT: cannot reach the broker at %1 (%2); sampling goes on, "
                                "and publishing once it answers.")
                     .arg(link, change.reason));
            return;
        case MqttState::Lost:
            say_(QStringLiteral("MQTT: lost the broker at %1 (%2); sampling goes on, and "
                                "publishing once it answers again.")
                     .arg(link, change.reason));
            return;
        case MqttState::Refused:
            say_(QStringLiteral("MQTT: the broker at %1 refused the login (%2); trying again.")
                     .arg(link, change.reason));
            return;
    }
}

void MqttPublisher::publishEvent(MqttMessage message) {
    if (connected_ && held_.empty() && connection_.publish(message)) {
        return;
    }
    if (held_.size() == kHeldMqttEvents) {
        held_.pop_front();
        ++droppedEvents_;
    }
    held_.push_back(std::move(message));
}

void MqttPublisher::publishStatus() {
    connection_.publish(
        {target_.topic(kStatusTopic), statusPayload(true), MqttQos::AtLeastOnce, true});
}

QByteArray MqttPublisher::statusPayload(bool online) const {
    JsonText json;
    json.add("state", online ? QStringLiteral("online") : QStringLiteral("offline"));
    if (online) {
        json.add("model", status_.model.isEmpty() ? std::optional<QString>() : status_.model);
        json.add("link", status_.link.isEmpty() ? std::optional<QString>() : status_.link);
        json.add("file", status_.file.isEmpty() ? std::optional<QString>() : status_.file);
    }
    return json.finished();
}

}  // namespace quillmark
