// The logger's command line.
#pragma once

#include "network/MqttSetup.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace quillmark {

struct LoggerOptions {
    std::optional<int> port;  // ComN through the window's port mapping
    QString device;           // a device path instead of a port number
    QString outDir;           // empty: the window's recording folder
    // Between the starts of two samples; zero: back to back ("fast").
    std::chrono::milliseconds interval{500};
    double startRpm = 0.0;  // 0: every sample records
    std::optional<double> stopRpm;
    std::chrono::milliseconds stopAfter{10'000};
    std::chrono::milliseconds preTrigger{5'000};
    std::chrono::milliseconds syncEvery{1'000};
    QString alarmsFile;  // empty: the alarm limits of the window's settings
    MqttOptions mqtt;    // all empty: nothing is published
    bool help = false;

    double stopValue() const { return stopRpm.value_or(startRpm); }
};

struct ParsedLoggerOptions {
    LoggerOptions options;
    QString error;  // one line naming the option; empty when the command line was good
};

// args without the program name; "--name value" and "--name=value" both work.
ParsedLoggerOptions parseLoggerOptions(const QStringList& args);
// One line per option.
QString loggerHelpText();

}  // namespace quillmark
