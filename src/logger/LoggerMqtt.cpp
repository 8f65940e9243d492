#include "logger/LoggerMqtt.h"

#include "logger/Console.h"
#include "logger/Logger.h"

namespace quillmark {

std::unique_ptr<LoggerMqtt> LoggerMqtt::start(const MqttSetup& setup, Logger& logger,
                                              Console& console, QString& error) {
    auto mqtt = std::make_unique<LoggerMqtt>(setup, console);
    MqttPublisher& publisher = mqtt->client_.publisher();
    const auto followState = [&logger, &publisher] {
        const Logger::Activity activity = logger.activity();
        publisher.setStatus({activity.model, activity.state, activity.file});
    };
    followState();
    error = mqtt->client_.start();
    if (!error.isEmpty()) {
        return nullptr;
    }
    logger.samples().addConsumer(
        [&publisher](const Sample& sample) { publisher.publishSample(sample); });
    logger.alarms().addListener(
        [&publisher](const AlarmEvent& alarm) { publisher.publishAlarm(alarm); });
    QObject::connect(&mqtt->statusTimer_, &QTimer::timeout, followState);
    mqtt->statusTimer_.start(1000);
    return mqtt;
}

LoggerMqtt::LoggerMqtt(const MqttSetup& setup, Console& console)
    : client_(setup, [&console](const QString& line) { console.event(line); }) {}

}  // namespace quillmark
