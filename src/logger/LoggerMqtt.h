// The logger publishing over MQTT: the client, told every sample, alarm and change of state.
#pragma once

#include "network/MqttClient.h"

#include <QTimer>

#include <memory>

namespace quillmark {

class Console;
class Logger;

class LoggerMqtt {
public:
    // Connects and wires the client to the logger; none, with `error` set, when the logger
    // cannot publish at all (the line to end it with status 2).
    static std::unique_ptr<LoggerMqtt> start(const MqttSetup& setup, Logger& logger,
                                             Console& console, QString& error);

    LoggerMqtt(const MqttSetup& setup, Console& console);

private:
    MqttClient client_;
    QTimer statusTimer_;  // the retained status follows the logger's state within a second
};

}  // namespace quillmark
