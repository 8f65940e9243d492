#include "logger/LoggerMain.h"

#include "link/PortSelection.h"
#include "logger/Console.h"
#include "logger/DevicePortSettings.h"
#include "logger/DiskKeeper.h"
#include "logger/Logger.h"
#include "logger/LoggerMqtt.h"
#include "logger/LoggerOptions.h"
#include "logger/LoggerWeb.h"
#include "network/http/TerminalQr.h"
#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/ProgramSignals.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/SystemConventions.h"
#include "analysis/AlarmLimits.h"
#include "platform/ServiceManager.h"
#include "recording/RecordingFiles.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

namespace quillmark {

namespace {

constexpr int kBadCommandLine = 2;

int commandLineError(const QString& text) {
    std::fprintf(stderr, "quillmark-logger: %s\n", qPrintable(text));
    return kBadCommandLine;
}

// Samples a second back to back on a Corvane II VR at 56000 baud, and the bytes of a typical
// row in the file: what the start's estimate of the room left counts with.
constexpr double kFastSamplesPerSecond = 41.0;
constexpr double kBytesPerRow = 190.0;

QString roomText(const DiskKeeper& disk, std::chrono::milliseconds interval) {
    const std::optional<qint64> room = disk.roomLeft();
    if (!room) {
        return QStringLiteral("Keeping %1.").arg(disk.describe());
    }
    const double perSecond =
        interval.count() > 0 ? 1000.0 / double(interval.count()) : kFastSamplesPerSecond;
    const double hours = double(*room) / (perSecond * kBytesPerRow) / 3600.0;
    return QStringLiteral(
               "Room for about %1 hours of recording at %2 samples a second "
               "(%3 before the oldest recordings are removed; keeping %4).")
        .arg(hours, 0, 'f', hours < 10 ? 1 : 0)
        .arg(perSecond, 0, 'f', perSecond < 10 ? 1 : 0)
        .arg(sizeText(*room), disk.describe());
}

}  // namespace

int LoggerMain(int argc, char** argv) {
    // Back-to-back sampling is nine 2 ms pauses a sample: they must not be rounded up.
    QtEventPump::preferPreciseTimers();
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const ParsedLoggerOptions parsed = parseLoggerOptions(args);
    if (!parsed.error.isEmpty()) {
        return commandLineError(parsed.error);
    }
    const LoggerOptions& options = parsed.options;
    if (options.help) {
        std::fputs(qPrintable(loggerHelpText()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("quillmark-logger %s\n", QUILLMARK_VERSION);
        return 0;
    }
    const PreparedMqtt mqtt = prepareMqtt(options.mqtt);
    if (!mqtt.error.isEmpty()) {
        return commandLineError(mqtt.error);
    }

    QtSettingsStore stored;
    DevicePortSettings settings(stored, options.device);
    const QString program = QString::fromLatin1(kProgramName);
    std::int16_t portNumber = DevicePortSettings::kPortNumber;
    if (options.port) {
        portNumber = static_cast<std::int16_t>(*options.port);
    } else if (options.device.isEmpty()) {
        // The port the window uses.
        try {
            portNumber =
                storedPortNumber(settings.get(program, QStringLiteral("Properties"),
                                              QStringLiteral("CommPort"), QStringLiteral("1")));
        } catch (const RaisedError& error) {
            return commandLineError(error.record().description);
        }
    }
    const QString folder = options.outDir.isEmpty() ? recordingFolder(settings) : options.outDir;
    ReadLimits alarmLimits;
    if (options.alarmsFile.isEmpty()) {
        alarmLimits = storedLimits(settings);
    } else {
        AlarmFileLimits fromFile = readAlarmFile(options.alarmsFile);
        if (!fromFile.error.isEmpty()) {
            return commandLineError(QStringLiteral("--alarms: %1").arg(fromFile.error));
        }
        alarmLimits = std::move(fromFile.read);
    }

    Console console(stderr, stdout, standardOutputIsTerminal(),
                    standardErrorIsJournal() ? EventStamp::Priority : EventStamp::Time);
    if (const QString unreadable = settings.unreadableLines(program); !unreadable.isEmpty()) {
        console.warning(unreadable);
    }
    for (const QString& ignored : alarmLimits.ignored) {
        console.warning(ignored);
    }
    QtSerialPort port;
    port.applySettings(moduleLineSettings());
    QtClock clock;
    QtEventPump pump;
    const ServiceManager service;
    Logger logger(options, {port, clock, pump, settings, console, &service}, portNumber, folder,
                  alarmLimits.limits);

    ProgramSignals stopSignals;
    if (const QString error = stopSignals.install(
            [&logger] { logger.requestStop(); }, [&logger] { logger.requestNewFile(); },
            [&logger](std::chrono::nanoseconds at) { logger.addMarker(QString(), at); });
        !error.isEmpty()) {
        console.error(QStringLiteral("Cannot take the stop signals: %1").arg(error));
        return 1;
    }
    std::unique_ptr<LoggerMqtt> publishing;
    if (mqtt.setup) {
        QString error;
        publishing = LoggerMqtt::start(*mqtt.setup, logger, console, error);
        if (!publishing) {
            return commandLineError(error);
        }
    }
    std::unique_ptr<LoggerWeb> web;
    if (!options.web.listen.isEmpty()) {
        PreparedWeb prepared = prepareWeb(options.web, folder, unattendedStateFolder());
        if (!prepared.error.isEmpty()) {
            return commandLineError(prepared.error);
        }
        if (prepared.tokenCreated) {
            console.event(QStringLiteral("Made the dashboard's access token in %1")
                              .arg(prepared.tokenPath));
        }
        QString error;
        web = LoggerWeb::start(std::move(prepared), logger, console, error);
        if (!web) {
            return commandLineError(error);
        }
        // Straight to standard error, never through the console: its last line becomes the
        // service's status, which every local user may read.
        std::fprintf(stderr, "quillmark-logger: web dashboard: %s\n", qPrintable(web->link()));
        if (standardErrorIsTerminal()) {
            std::fputs(qPrintable(terminalQrCode(web->link().toUtf8())), stderr);
        }
    }
    console.event(QStringLiteral("Recordings go to %1").arg(folder));
    console.event(QStringLiteral("Alarm limits: %1").arg(limitsInForceText(alarmLimits.limits)));
    const DiskKeeper disk(folder, options.keptFree(), options.maxTotal);
    console.event(roomText(disk, options.interval));
    logger.run();
    if (port.isOpen()) {
        port.close();
    }
    return 0;
}

}  // namespace quillmark
