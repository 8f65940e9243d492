#include "logger/LoggerOptions.h"

#include "link/PortNames.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <string_view>

namespace quillmark {

namespace {

enum class Option {
    Port,
    Device,
    Out,
    Interval,
    StartRpm,
    StopRpm,
    StopAfter,
    PreTrigger,
    SyncEvery,
    Alarms,
    Mqtt,
    MqttCa,
    MqttPasswordFile,
    MqttEvery,
    Help
};

struct OptionRow {
    Option option;
    std::string_view name;
    std::string_view value;  // empty: takes no value
    std::string_view help;
};

constexpr std::array kOptions{
    OptionRow{Option::Port, "--port", "N", "read the module on ComN, mapped as in the window"},
    OptionRow{Option::Device, "--device", "PATH", "read the module on this serial device"},
    OptionRow{Option::Out, "--out", "DIR", "folder for the recordings (default: the window's)"},
    OptionRow{Option::Interval, "--interval", "MS|fast",
              "time between samples (default 500); fast: back to back"},
    OptionRow{Option::StartRpm, "--start-rpm", "RPM",
              "a file starts when engine speed reaches this (default 0: at once)"},
    OptionRow{Option::StopRpm, "--stop-rpm", "RPM",
              "a file ends when engine speed stays below this (default: the start value)"},
    OptionRow{Option::StopAfter, "--stop-after", "SECONDS",
              "seconds below the stop value that end a file (default 10)"},
    OptionRow{Option::PreTrigger, "--pre-trigger", "SECONDS",
              "samples of this many seconds before the start open the file (default 5)"},
    OptionRow{Option::SyncEvery, "--sync-every", "SECONDS",
              "rows reach the disk at least this often (default 1)"},
    OptionRow{Option::Alarms, "--alarms", "FILE",
              "alarm limits from this file (default: the window's)"},
    OptionRow{Option::Mqtt, "--mqtt", "LINK",
              "publish to an MQTT broker, mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://"},
    OptionRow{Option::MqttCa, "--mqtt-ca", "FILE",
              "check the mqtts:// broker against these certificates (default: the system's)"},
    OptionRow{Option::MqttPasswordFile, "--mqtt-password-file", "FILE",
              "the broker password: the first line of this file"},
    OptionRow{Option::MqttEvery, "--mqtt-every", "N", "publish every Nth sample (default 1)"},
    OptionRow{Option::Help, "--help", "", "show this help and exit"},
};

constexpr double kHighestRpm = 100'000.0;
constexpr double kLongestSeconds = 86'400.0;

QString text(std::string_view view) {
    return QString::fromLatin1(view.data(), qsizetype(view.size()));
}

// A finite number from `low` to `high`, in the C locale.
std::optional<double> number(const QString& value, double low, double high) {
    bool ok = false;
    const double result = QLocale::c().toDouble(value, &ok);
    if (!ok || !std::isfinite(result) || result < low || result > high) {
        return std::nullopt;
    }
    return result;
}

std::chrono::milliseconds fromSeconds(double seconds) {
    return std::chrono::milliseconds(std::llround(seconds * 1000.0));
}

// Takes one option's value into `options`; returns what is wrong with it, or an empty text.
QString apply(Option option, const QString& value, LoggerOptions& options) {
    switch (option) {
        case Option::Port: {
            const auto n = number(value, 1, kHighestPortNumber);
            if (!n || *n != std::floor(*n)) {
                return QStringLiteral("a port number from 1 to %1").arg(kHighestPortNumber);
            }
            options.port = static_cast<int>(*n);
            return {};
        }
        case Option::Device:
        case Option::Out:
        case Option::Alarms:
            if (value.isEmpty()) {
                return QStringLiteral("a path");
            }
            (option == Option::Device ? options.device
             : option == Option::Out  ? options.outDir
                                      : options.alarmsFile) = value;
            return {};
        case Option::Interval: {
            if (value == QLatin1String("fast")) {
                options.interval = std::chrono::milliseconds::zero();
                return {};
            }
            const auto ms = number(value, 1, kLongestSeconds * 1000.0);
            if (!ms || *ms != std::floor(*ms)) {
                return QStringLiteral("whole milliseconds from 1 to %1, or fast")
                    .arg(kLongestSeconds * 1000.0, 0, 'f', 0);
            }
            options.interval = std::chrono::milliseconds(static_cast<long long>(*ms));
            return {};
        }
        case Option::StartRpm:
        case Option::StopRpm: {
            const auto rpm = number(value, 0, kHighestRpm);
            if (!rpm) {
                return QStringLiteral("an engine speed from 0 to %1").arg(kHighestRpm, 0, 'f', 0);
            }
            if (option == Option::StartRpm) {
                options.startRpm = *rpm;
            } else {
                options.stopRpm = *rpm;
            }
            return {};
        }
        case Option::StopAfter:
        case Option::PreTrigger:
        case Option::SyncEvery: {
            // A sync period of zero would sync after every row and is allowed; the others too.
            const auto seconds = number(value, 0, kLongestSeconds);
            if (!seconds) {
                return QStringLiteral("seconds from 0 to %1").arg(kLongestSeconds, 0, 'f', 0);
            }
            auto& target = option == Option::StopAfter    ? options.stopAfter
                           : option == Option::PreTrigger ? options.preTrigger
                                                          : options.syncEvery;
            target = fromSeconds(*seconds);
            return {};
        }
        case Option::Mqtt:
        case Option::MqttCa:
        case Option::MqttPasswordFile:
        case Option::MqttEvery:
            // Checked together before the logger starts; a link is never repeated in a message.
            (option == Option::Mqtt               ? options.mqtt.link
             : option == Option::MqttCa           ? options.mqtt.caFile
             : option == Option::MqttPasswordFile ? options.mqtt.passwordFile
                                                  : options.mqtt.every) = value;
            return {};
        case Option::Help:
            options.help = true;
            return {};
    }
    return {};
}

}  // namespace

ParsedLoggerOptions parseLoggerOptions(const QStringList& args) {
    ParsedLoggerOptions parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i];
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals > 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const OptionRow* row = nullptr;
        for (const auto& candidate : kOptions) {
            if (name == text(candidate.name)) {
                row = &candidate;
            }
        }
        if (row == nullptr) {
            parsed.error = QStringLiteral("unknown option %1 (see --help)").arg(args[i]);
            return parsed;
        }
        if (row->value.empty() && value) {
            parsed.error = QStringLiteral("%1 takes no value").arg(name);
            return parsed;
        }
        if (!row->value.empty() && !value) {
            if (i + 1 >= args.size()) {
                parsed.error = QStringLiteral("%1 needs a value (%2)").arg(name, text(row->value));
                return parsed;
            }
            value = args[++i];
        }
        const QString wrong = apply(row->option, value.value_or(QString()), parsed.options);
        if (!wrong.isEmpty()) {
            parsed.error = QStringLiteral("%1 %2: expected %3").arg(name, *value, wrong);
            return parsed;
        }
    }
    if (parsed.options.port && !parsed.options.device.isEmpty()) {
        parsed.error = QStringLiteral("--port and --device: give only one of them");
    }
    return parsed;
}

QString loggerHelpText() {
    QString help = QStringLiteral(
        "Usage: quillmark-logger [OPTION]...\n"
        "Records a Corvane engine module's live data to files, without a window.\n\n");
    for (const auto& row : kOptions) {
        const QString left = row.value.empty()
                                 ? text(row.name)
                                 : QStringLiteral("%1 %2").arg(text(row.name), text(row.value));
        help += QStringLiteral("  %1  %2\n").arg(left, -24).arg(text(row.help));
    }
    help += QStringLiteral(
        "\nWithout --port or --device the port chosen in the window is used. SIGTERM or SIGINT\n"
        "finish the current file and end the logger; SIGHUP starts a new file; SIGUSR1 puts a\n"
        "marker on the next sample.\n");
    return help;
}

}  // namespace quillmark
