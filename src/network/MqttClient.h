// The logger's MQTT client: the broker connection through libmosquitto and the publisher on it.
#pragma once

#include "network/MosquittoConnection.h"
#include "network/MqttPublisher.h"
#include "network/MqttSetup.h"

#include <chrono>

namespace quillmark {

// How long the logger waits at start for the broker's answer to its login, before it samples.
inline constexpr std::chrono::seconds kMqttLoginWait{3};

class MqttClient {
public:
    MqttClient(const MqttSetup& setup, MqttPublisher::Say say);
    // Publishes the offline status and disconnects.
    ~MqttClient();

    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Starts connecting. Returns why the logger cannot publish at all (the TLS files cannot be
    // used, or the broker turned the login down at once), or an empty text; a broker that does
    // not answer yet is tried again while the logger samples.
    QString start();
    MqttPublisher& publisher() { return publisher_; }

private:
    MosquittoConnection connection_;
    MqttPublisher publisher_;
};

}  // namespace quillmark
