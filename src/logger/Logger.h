// The unattended logger: brings the link up, samples the module through the window's own
// polling cycle, and writes the rows into files that the engine-speed trigger starts and ends.
// A lost link is retried every 2 s for ever; a file that cannot be written is replaced by a new
// one as soon as writing works again.
#pragma once

#include "analysis/AlarmMonitor.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "engine/RealTimeSession.h"
#include "link/CommEvents.h"
#include "link/ModuleLink.h"
#include "link/PortNames.h"
#include "link/SharedState.h"
#include "logger/ConsoleBoxes.h"
#include "logger/DiskKeeper.h"
#include "logger/EngineSpeedTrigger.h"
#include "logger/LogFile.h"
#include "logger/LoggerOptions.h"
#include "logger/PreTrigger.h"
#include "logger/RecentRows.h"

#include <QStringList>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace quillmark {

class Clock;
class Console;
class EventPump;
class SerialPort;
class ServiceManager;
class SettingsStore;

inline constexpr std::chrono::seconds kLinkRetryPeriod{2};
inline constexpr std::chrono::seconds kWriteRetryPeriod{2};
// Rows a full disk kept back are still written when it frees up within this time, and within
// this count (a minute at back-to-back sampling, with room to spare).
inline constexpr double kBacklogSeconds = 60.0;
inline constexpr std::size_t kBacklogRowsLimit = 4'000;

struct LoggerPlatform {
    SerialPort& port;
    Clock& clock;
    EventPump& pump;
    const SettingsStore& settings;  // the port mapping
    Console& console;
    const ServiceManager* service = nullptr;  // told the state and kept alive, when given
};

enum class LoggerState {
    Connecting,
    Waiting,  // for the start value
    Recording,
    LinkLost,
    WriteFailed,
};

class Logger {
public:
    // `portNumber` is the ComN whose device `settings` maps; `folder` takes the files; each
    // sample is checked against `alarmLimits`.
    Logger(const LoggerOptions& options, const LoggerPlatform& platform, std::int16_t portNumber,
           QString folder, const AlarmLimits& alarmLimits = {});

    // Samples until a stop is asked for; the current file ends with whole rows.
    void run();
    void requestStop() { stopRequested_ = true; }
    // Ends the current file; the next sample starts a new one when the trigger holds.
    void requestNewFile() { newFileRequested_ = true; }
    // A marker on the next sample (SIGUSR1 gives no text); the file numbers it among the user's
    // markers, and one line on standard error tells where it went. Several on one sample all
    // stay there. Waiting for the start speed, it starts a file as the start speed would; while
    // the link is lost it is a row of its own at once, with no values.
    // `askedAt` (monotonic) is when it was asked for, when that was before now.
    void addMarker(const QString& text,
                   std::optional<std::chrono::nanoseconds> askedAt = std::nullopt);

    LoggerState state() const { return phase_; }
    // Every alarm fires here once, with its text; its line on standard error listens already,
    // a recording's marker listens here too.
    AlarmMonitor& alarms() { return alarms_; }
    // Every sample with its markers (a signal's, an alarm's), for whoever else follows the module.
    SampleFanOut& samples() { return polling_.samples(); }
    // What the logger is doing, for whoever reports it: its state in words, the module's model
    // once it answered, the file being written (empty while there is none) and its rows.
    struct Activity {
        QString state;
        QString model;
        QString file;
        long rows = 0;
        double samplesPerSecond = 0.0;
        bool linkUp = false;
    };
    Activity activity() const;

private:
    bool bringLinkUp();
    // Opens the port; empty when it is open, else why it cannot be (said once).
    QString openPort();
    void sample();
    // Told each sample first: the link's return, then the alarms, whose markers go on the very
    // sample that raised them.
    void checkSample(const Sample& sample);
    void onRow(const RecordingRow& row);
    void tellSampleListeners(const RecordingRow& row);
    // A row for the files: sampled rows feed the trigger, a marker's row of its own does not.
    void take(const RecordingRow& row, bool sampled);
    void markWhileLinkDown(const QString& text, std::chrono::nanoseconds askedAt);
    void writeRows();
    void writeFailed(const QString& error);
    void linkDown(const QString& reason);
    void endFile();
    void fileRemoved();
    void reportLost(const LostRows& lost, const QString& how);
    void setState(LoggerState state);
    void idleUntil(std::chrono::nanoseconds until);
    void housekeeping();
    void checkFileAndDisk(std::chrono::nanoseconds now);
    QString statusText() const;
    bool linkDownPhase() const {
        return phase_ == LoggerState::Connecting || phase_ == LoggerState::LinkLost;
    }

    LoggerOptions options_;
    LoggerPlatform platform_;
    std::int16_t portNumber_;
    QString folder_;
    QString portName_;  // the device path when one was given, else ComN

    ConsoleBoxes boxes_;
    SharedState shared_;
    PortNames names_;
    ModuleLink link_;
    RealTimeSession session_;
    EngineReads reads_;
    PollingCycle polling_;
    CommEvents lineEvents_;

    AlarmMonitor alarms_;
    EngineSpeedTrigger trigger_;
    PreTrigger preTrigger_;
    RecentRows recent_;  // the rows for the files, until written
    LogFile file_;
    DiskKeeper disk_;
    std::optional<double> lastBeforeFile_;  // the last row written when the file was opened
    std::chrono::nanoseconds nextWriteTry_{};
    std::chrono::nanoseconds nextFileCheck_{};
    bool writeBlocked_ = false;
    bool dropReported_ = false;  // for the current file

    LoggerState phase_ = LoggerState::Connecting;
    bool linkEverUp_ = false;
    QString downReason_;  // what was last said about the link being down; empty while up
    bool stopRequested_ = false;
    bool newFileRequested_ = false;
    std::deque<QString> pendingMarkers_;  // the user's, for the next sample
    std::optional<float> lastRpm_;
    std::optional<std::chrono::nanoseconds> lastRowTime_;  // of the last sample or marker row
    long samples_ = 0;
    long samplesAtLastStatus_ = 0;
    std::chrono::nanoseconds lastStatus_{};
    std::chrono::nanoseconds lastStatusLine_{};
    std::chrono::nanoseconds lastAlive_{};
    double samplesPerSecond_ = 0.0;
};

}  // namespace quillmark
