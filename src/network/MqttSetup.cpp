#include "network/MqttSetup.h"

#include <QFileInfo>

namespace quillmark {

PreparedMqtt prepareMqtt(const MqttOptions& options) {
    PreparedMqtt prepared;
    const auto wrong = [&prepared](const QString& error) {
        prepared.error = error;
        return prepared;
    };
    if (options.link.isEmpty()) {
        for (const auto& [given, name] : {std::pair{&options.caFile, "--mqtt-ca"},
                                          std::pair{&options.passwordFile, "--mqtt-password-file"},
                                          std::pair{&options.every, "--mqtt-every"}}) {
            if (!given->isEmpty()) {
                return wrong(QStringLiteral("%1 goes with --mqtt").arg(QLatin1String(name)));
            }
        }
        return prepared;
    }
    const ParsedMqttTarget parsed = parseMqttTarget(options.link);
    if (!parsed.error.isEmpty()) {
        return wrong(QStringLiteral("--mqtt: %1").arg(parsed.error));
    }
    MqttSetup setup{parsed.target, {}, options.caFile, 1};
    if (!options.every.isEmpty()) {
        bool ok = false;
        setup.every = options.every.toInt(&ok);
        if (!ok || setup.every < 1 || setup.every > kMostMqttEvery) {
            return wrong(QStringLiteral("--mqtt-every %1: expected a whole number from 1 to %2")
                             .arg(options.every)
                             .arg(kMostMqttEvery));
        }
    }
    if (!options.caFile.isEmpty()) {
        if (!setup.target.tls) {
            return wrong(QStringLiteral("--mqtt-ca goes with an mqtts:// link"));
        }
        if (!QFileInfo(options.caFile).isReadable()) {
            return wrong(QStringLiteral("--mqtt-ca: cannot read %1").arg(options.caFile));
        }
    }
    if (!options.passwordFile.isEmpty()) {
        if (setup.target.user.isEmpty()) {
            // MQTT sends a password only with a user name.
            return wrong(QStringLiteral(
                "--mqtt-password-file needs a user in the link (mqtt://USER@HOST/PREFIX)"));
        }
        const MqttPasswordFile read = readMqttPasswordFile(options.passwordFile);
        if (!read.error.isEmpty()) {
            return wrong(QStringLiteral("--mqtt-password-file: %1").arg(read.error));
        }
        setup.password = read.password;
    }
    prepared.setup = setup;
    return prepared;
}

}  // namespace quillmark
