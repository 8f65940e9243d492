#include "network/MqttClient.h"

namespace quillmark {

MqttClient::MqttClient(const MqttSetup& setup, MqttPublisher::Say say)
    : connection_(setup.target, setup.password, setup.caFile),
      publisher_(connection_, setup.target, setup.every, std::move(say)) {}

MqttClient::~MqttClient() {
    publisher_.close();
}

QString MqttClient::start() {
    if (!connection_.setupError().isEmpty()) {
        return QStringLiteral("--mqtt: %1").arg(connection_.setupError());
    }
    publisher_.open();
    if (const QString refused = publisher_.refusalAtStart(kMqttLoginWait); !refused.isEmpty()) {
        return QStringLiteral("--mqtt: %1").arg(refused);
    }
    return {};
}

}  // namespace quillmark
