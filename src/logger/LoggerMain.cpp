#include "logger/LoggerMain.h"

#include "link/PortSelection.h"
#include "logger/Console.h"
#include "logger/DevicePortSettings.h"
#include "logger/Logger.h"
#include "logger/LoggerMqtt.h"
#include "logger/LoggerOptions.h"
#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/ProgramSignals.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "analysis/AlarmLimits.h"
#include "recording/RecordingFiles.h"

#include <QCoreApplication>

#include <cstdio>

namespace quillmark {

namespace {

constexpr int kBadCommandLine = 2;

int commandLineError(const QString& text) {
    std::fprintf(stderr, "quillmark-logger: %s\n", qPrintable(text));
    return kBadCommandLine;
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

    Console console(stderr, stdout, standardOutputIsTerminal());
    if (const QString unreadable = settings.unreadableLines(program); !unreadable.isEmpty()) {
        console.event(unreadable);
    }
    for (const QString& ignored : alarmLimits.ignored) {
        console.event(ignored);
    }
    QtSerialPort port;
    port.applySettings(moduleLineSettings());
    QtClock clock;
    QtEventPump pump;
    Logger logger(options, {port, clock, pump, settings, console}, portNumber, folder,
                  alarmLimits.limits);

    ProgramSignals stopSignals;
    if (const QString error = stopSignals.install([&logger] { logger.requestStop(); },
                                                  [&logger] { logger.requestNewFile(); },
                                                  [&logger] { logger.addMarker(QString()); });
        !error.isEmpty()) {
        console.event(QStringLiteral("Cannot take the stop signals: %1").arg(error));
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
    console.event(QStringLiteral("Recordings go to %1").arg(folder));
    logger.run();
    if (port.isOpen()) {
        port.close();
    }
    return 0;
}

}  // namespace quillmark
