// The logger's MQTT options checked together: the broker link, the password read from its file,
// the certificates for mqtts:// and how many samples make one on `live`.
#pragma once

#include "network/MqttTarget.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillmark {

inline constexpr int kMostMqttEvery = 100'000;

// As given on the command line; all empty without --mqtt.
struct MqttOptions {
    QString link;          // --mqtt
    QString caFile;        // --mqtt-ca
    QString passwordFile;  // --mqtt-password-file
    QString every;         // --mqtt-every
};

struct MqttSetup {
    MqttTarget target;
    QByteArray password;
    QString caFile;
    int every = 1;
};

struct PreparedMqtt {
    std::optional<MqttSetup> setup;  // none: the logger does not publish
    QString error;                   // one line naming the option; never holds the password
};

PreparedMqtt prepareMqtt(const MqttOptions& options);

}  // namespace quillmark
