#include "logger/LoggerOptions.h"

#include "link/PortNames.h"
#include "logger/PreTrigger.h"
#include "platform/CommandLine.h"

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
    KeepFree,
    MaxTotal,
    Mqtt,
    MqttCa,
    MqttPasswordFile,
    MqttEvery,
    Http,
    TokenFile,
    TlsCert,
    TlsKey,
    Version,
    Help
};

struct OptionRow {
    Option option;
    std::string_view name;   // without the leading "--"
    std::string_view value;  // empty: takes no value
    std::string_view help;
};

constexpr std::array kOptions{
    OptionRow{Option::Port, "port", "N", "read the module on ComN, mapped as in the\nwindow"},
    OptionRow{Option::Device, "device", "PATH", "read the module on this serial device"},
    OptionRow{Option::Out, "out", "DIR", "folder for the recordings (default: the\nwindow's)"},
    OptionRow{Option::Interval, "interval", "MS|fast",
              "time between samples (default 500); fast:\nback to back"},
    OptionRow{Option::StartRpm, "start-rpm", "RPM",
              "a file starts when engine speed reaches this\n(default 0: at once)"},
    OptionRow{Option::StopRpm, "stop-rpm", "RPM",
              "a file ends when engine speed stays below this\n"
              "(default and most: the start value)"},
    OptionRow{Option::StopAfter, "stop-after", "SECONDS",
              "seconds below the stop value, or without\n"
              "samples, that end a file (default 10)"},
    OptionRow{Option::PreTrigger, "pre-trigger", "SECONDS",
              "samples of this many seconds before the start\n"
              "open the file (default 5; at most 600 s and\n"
              "24000 samples)"},
    OptionRow{Option::SyncEvery, "sync-every", "SECONDS",
              "rows reach the disk at least this often (default 1)"},
    OptionRow{Option::Alarms, "alarms", "FILE",
              "alarm limits from this file (default: the window's)"},
    OptionRow{Option::KeepFree, "keep-free", "SIZE|N%",
              "the oldest finished recordings are removed to\n"
              "keep this much of the disk free (default 5%\n"
              "with --out, else 0; 0: never)"},
    OptionRow{Option::MaxTotal, "max-total", "SIZE",
              "the oldest finished recordings are removed to\n"
              "keep all of them within this (default: no\n"
              "limit); SIZE is bytes, or with K, M, G or T"},
    OptionRow{Option::Mqtt, "mqtt", "LINK",
              "publish to an MQTT broker, mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://"},
    OptionRow{Option::MqttCa, "mqtt-ca", "FILE",
              "check the mqtts:// broker against these certificates (default: the system's)"},
    OptionRow{Option::MqttPasswordFile, "mqtt-password-file", "FILE",
              "the broker password: the first line of this file"},
    OptionRow{Option::MqttEvery, "mqtt-every", "N", "publish every Nth sample (default 1)"},
    OptionRow{Option::Http, "http", "[ADDR:]PORT",
              "serve the web dashboard on this port (ADDR\n"
              "default 127.0.0.1; 0.0.0.0 for every network)"},
    OptionRow{Option::TokenFile, "token-file", "FILE",
              "the dashboard's access token (default:\n"
              "http-token in the state folder; made when\n"
              "missing)"},
    OptionRow{Option::TlsCert, "tls-cert", "FILE",
              "serve https and wss with this PEM certificate"},
    OptionRow{Option::TlsKey, "tls-key", "FILE", "the PEM private key of --tls-cert"},
    OptionRow{Option::Version, "version", "", "show the version and exit"},
    OptionRow{Option::Help, "help", "", "show this help and exit"},
};

constexpr double kHighestRpm = 100'000.0;
constexpr double kLongestSeconds = 86'400.0;

QString text(std::string_view view) {
    return QString::fromLatin1(view.data(), qsizetype(view.size()));
}

QString dashed(std::string_view name) {
    return QStringLiteral("--") + text(name);
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
            (option == Option::StartRpm ? options.startRpm : options.stopRpm.emplace()) = *rpm;
            return {};
        }
        case Option::StopAfter:
        case Option::PreTrigger:
        case Option::SyncEvery: {
            // A sync period of zero would sync after every row and is allowed; the others too.
            const double longest =
                option == Option::PreTrigger ? kLongestPreTriggerSeconds : kLongestSeconds;
            const auto seconds = number(value, 0, longest);
            if (!seconds) {
                return QStringLiteral("seconds from 0 to %1").arg(longest, 0, 'f', 0);
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
        case Option::KeepFree:
            if (value.endsWith(QLatin1Char('%'))) {
                const auto percent = number(value.chopped(1), 0, 90);
                if (!percent) {
                    return QStringLiteral("a share from 0% to 90%, or a size");
                }
                options.keepFree = {*percent, std::nullopt};
                return {};
            }
            if (const auto bytes = parseSize(value)) {
                options.keepFree = {0.0, *bytes};
                return {};
            }
            return QStringLiteral("a size such as 2G, or a share such as 10%");
        case Option::MaxTotal:
            if (const auto bytes = parseSize(value); bytes && *bytes > 0) {
                options.maxTotal = *bytes;
                return {};
            }
            return QStringLiteral("a size such as 20G");
        case Option::Http:
            if (const ListenAddress listen = parseListen(value); !listen.error.isEmpty()) {
                return listen.error;
            }
            options.web.listen = value;
            return {};
        case Option::TokenFile:
        case Option::TlsCert:
        case Option::TlsKey:
            if (value.isEmpty()) {
                return QStringLiteral("a path");
            }
            (option == Option::TokenFile ? options.web.tokenFile
             : option == Option::TlsCert ? options.web.tlsCert
                                         : options.web.tlsKey) = value;
            return {};
        case Option::Version:
            options.version = true;
            return {};
        case Option::Help:
            options.help = true;
            return {};
    }
    return {};
}

// What the options mean together; an empty text when they agree.
QString contradiction(const LoggerOptions& options) {
    if (options.port && !options.device.isEmpty()) {
        return QStringLiteral("--port and --device: give only one of them");
    }
    if (options.web.listen.isEmpty() &&
        !(options.web.tokenFile + options.web.tlsCert + options.web.tlsKey).isEmpty()) {
        return QStringLiteral("--token-file, --tls-cert and --tls-key go with --http");
    }
    if (options.web.tlsCert.isEmpty() != options.web.tlsKey.isEmpty()) {
        return QStringLiteral("--tls-cert and --tls-key: give both or neither");
    }
    if (options.stopRpm && *options.stopRpm > options.startRpm) {
        // Below the stop value and still at or above the start value, every sample would keep
        // starting files: one every --stop-after seconds.
        return QStringLiteral(
                   "--stop-rpm %1 is above the start value %2: a new file would start every "
                   "--stop-after seconds; give a stop value at or below --start-rpm")
            .arg(*options.stopRpm)
            .arg(options.startRpm);
    }
    return {};
}

}  // namespace

ParsedLoggerOptions parseLoggerOptions(const QStringList& args) {
    ParsedLoggerOptions parsed;
    QCommandLineParser parser;
    for (const auto& row : kOptions) {
        QCommandLineOption option(text(row.name));
        if (!row.value.empty()) {
            option.setValueName(text(row.value));
        }
        parser.addOption(option);
    }
    parsed.error = parseLongOptions(parser, args);
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    for (const auto& row : kOptions) {
        const QString name = text(row.name);
        if (!parser.isSet(name)) {
            continue;
        }
        const QString value = row.value.empty() ? QString() : parser.value(name);
        // "--out --device X" would otherwise take the next option's name for the folder.
        if (value.startsWith(QLatin1String("--"))) {
            parsed.error =
                QStringLiteral("%1 needs a value (%2)").arg(dashed(row.name), text(row.value));
            return parsed;
        }
        const QString wrong = apply(row.option, value, parsed.options);
        if (!wrong.isEmpty()) {
            parsed.error = QStringLiteral("%1 %2: expected %3").arg(dashed(row.name), value, wrong);
            return parsed;
        }
    }
    parsed.error = strayWordError(parser);
    if (parsed.error.isEmpty()) {
        parsed.error = contradiction(parsed.options);
    }
    return parsed;
}

QString loggerHelpText() {
    QString help = QStringLiteral(
        "Usage: quillmark-logger [OPTION]...\n"
        "Records a Corvane engine module's live data to files, without a window.\n\n");
    for (const auto& row : kOptions) {
        const QString left = row.value.empty()
                                 ? dashed(row.name)
                                 : QStringLiteral("%1 %2").arg(dashed(row.name), text(row.value));
        QString lines = text(row.help);
        lines.replace(QLatin1Char('\n'), QStringLiteral("\n") + QString(28, QLatin1Char(' ')));
        help += QStringLiteral("  %1  %2\n").arg(left, -24).arg(lines);
    }
    help += QStringLiteral(
        "\nWithout --port or --device the port chosen in the window is used. SIGTERM or SIGINT\n"
        "finish the current file and end the logger; SIGHUP starts a new file; SIGUSR1 puts a\n"
        "marker on the next sample, and starts a file if none is open.\n");
    return help;
}

std::optional<qint64> parseSize(const QString& text) {
    static constexpr std::array<std::pair<char, int>, 4> kUnits{
        {{'K', 10}, {'M', 20}, {'G', 30}, {'T', 40}}};
    QString digits = text.trimmed();
    int shift = 0;
    for (const auto& [letter, bits] : kUnits) {
        if (digits.endsWith(QLatin1Char(letter), Qt::CaseInsensitive)) {
            shift = bits;
            digits.chop(1);
            break;
        }
    }
    const auto value = number(digits, 0, double(qint64(1) << 50));
    if (!value) {
        return std::nullopt;
    }
    return static_cast<qint64>(std::llround(*value * double(qint64(1) << shift)));
}

QString sizeText(qint64 bytes) {
    constexpr double kMega = 1024.0 * 1024.0;
    if (bytes >= qint64(1) << 30) {
        return QStringLiteral("%1 GB").arg(double(bytes) / (kMega * 1024.0), 0, 'f', 1);
    }
    return QStringLiteral("%1 MB").arg(double(bytes) / kMega, 0, 'f', 0);
}

}  // namespace quillmark
