// The logger's command line.
#pragma once

#include "network/MqttSetup.h"
#include "network/http/WebOptions.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace quillmark {

// Room to keep on a file system: a share of its size or a number of bytes.
struct DiskRoom {
    double percent = 0.0;
    std::optional<qint64> bytes;  // when given, instead of the share

    // The bytes for a file system of `total` bytes.
    qint64 of(qint64 total) const {
        return bytes ? *bytes : static_cast<qint64>(double(total) * percent / 100.0);
    }
};

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
    // None: 5% where the recordings have a folder of their own (--out), nothing removed in the
    // window's folder, whose recordings the user made by hand.
    std::optional<DiskRoom> keepFree;
    std::optional<qint64> maxTotal;  // bytes all recordings in the folder may take
    MqttOptions mqtt;    // all empty: nothing is published
    WebOptions web;                  // no --http: no dashboard
    bool help = false;
    bool version = false;

    double stopValue() const { return stopRpm.value_or(startRpm); }
    DiskRoom keptFree() const {
        return keepFree.value_or(outDir.isEmpty() ? DiskRoom{0.0, std::nullopt}
                                                  : DiskRoom{5.0, std::nullopt});
    }
};

struct ParsedLoggerOptions {
    LoggerOptions options;
    QString error;  // one line naming the option; empty when the command line was good
};

// args without the program name; "--name value" and "--name=value" both work.
ParsedLoggerOptions parseLoggerOptions(const QStringList& args);
// One line per option.
QString loggerHelpText();

// "512M", "2G", "1500000" (bytes; K, M, G and T count in 1024s); none when it is not one.
std::optional<qint64> parseSize(const QString& text);
// "1.5 GB", "300 MB".
QString sizeText(qint64 bytes);

}  // namespace quillmark
