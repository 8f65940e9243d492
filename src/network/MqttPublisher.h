// What the logger publishes under its topic prefix: every Nth sample on `live` (once at most),
// markers and alarms on `marker` and `alarm` (at least once), and a retained `status` that the
// broker turns to offline when the logger dies or loses it. While the broker is away, samples
// are not kept and the newest events wait for it; that it went and that it came back are
// each said once.
#pragma once

#include "network/MqttConnection.h"
#include "network/MqttTarget.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

namespace quillmark {

struct AlarmEvent;
struct Sample;

// Markers and alarms kept for a broker that is away; older ones make room for newer.
inline constexpr std::size_t kHeldMqttEvents = 256;

// What the retained status tells besides "online".
struct PublishedStatus {
    QString model;  // empty until the module answered
    QString link;   // the logger's state: "recording", "link lost"...
    QString file;   // the current recording's name, empty when there is none

    bool operator==(const PublishedStatus&) const = default;
};

class MqttPublisher {
public:
    using Say = std::function<void(const QString&)>;

    // `every` >= 1: one sample in that many goes to `live`. `say` takes one line for standard
    // error.
    MqttPublisher(MqttConnection& connection, const MqttTarget& target, int every, Say say);

    // Starts connecting, with the offline status as the will.
    void open();
    // Waits up to `time` for the broker's first answer, running the caller's events; returns
    // the refusal when the broker turned the login down, an empty text otherwise. Until then
    // nothing is said; a broker that does not answer is said once the wait is over.
    QString refusalAtStart(std::chrono::milliseconds time);
    void publishSample(const Sample& sample);
    void publishAlarm(const AlarmEvent& alarm);
    // Publishes the status again when it changed.
    void setStatus(const PublishedStatus& status);
    // Publishes the offline status and disconnects.
    void close();

    bool connected() const { return connected_; }
    // Events the broker's absence cost, the oldest first.
    long droppedEvents() const { return droppedEvents_; }

private:
    void changed(const MqttChange& change);
    // One line when the broker's state changed from what the last line told.
    void say(const MqttChange& change);
    void publishEvent(MqttMessage message);
    void publishStatus();
    QByteArray statusPayload(bool online) const;

    MqttConnection& connection_;
    MqttTarget target_;
    int every_;
    Say say_;
    long samples_ = 0;
    std::optional<double> firstSample_;  // its seconds: `t` counts from there
    bool connected_ = false;
    bool started_ = false;  // the wait at start is over: changes are told as they come
    std::optional<MqttChange> latest_;
    std::optional<MqttState> said_;  // the state the last line told
    PublishedStatus status_;
    std::deque<MqttMessage> held_;
    long droppedEvents_ = 0;
};

}  // namespace quillmark
