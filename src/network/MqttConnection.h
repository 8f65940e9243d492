// The connection to an MQTT broker as the publisher sees it: publishing never waits for the
// network, and what becomes of the connection is told on the thread that opened it.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace quillmark {

enum class MqttQos { AtMostOnce = 0, AtLeastOnce = 1 };

struct MqttMessage {
    QByteArray topic;
    QByteArray payload;
    MqttQos qos = MqttQos::AtMostOnce;
    bool retain = false;

    bool operator==(const MqttMessage&) const = default;
};

enum class MqttState {
    Connected,
    Unreachable,  // no answer, no route, a failed name lookup or TLS handshake; retried
    Refused,      // the broker answered and turned the login down; retried
    Lost,         // it was connected and the connection broke; retried
};

struct MqttChange {
    MqttState state = MqttState::Connected;
    QString reason;  // the library's or the broker's words; empty when connected
};

class MqttConnection {
public:
    using Listener = std::function<void(const MqttChange&)>;

    virtual ~MqttConnection() = default;
    // Starts connecting and keeps connecting, waiting longer after each failure; `will` is
    // what the broker publishes should the connection die without a goodbye. Every change
    // reaches `listener` on the caller's thread.
    virtual void open(const MqttMessage& will, Listener listener) = 0;
    // Hands the message to the network and returns at once; false when there is no connection
    // to take it (the message is not kept).
    virtual bool publish(const MqttMessage& message) = 0;
    // Sends `farewell` when connected, says goodbye and stops, within a bounded time.
    virtual void close(const MqttMessage& farewell) = 0;
};

}  // namespace quillmark
