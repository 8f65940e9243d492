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
#include "logger/EngineSpeedTrigger.h"
#include "logger/LogFile.h"
#include "logger/LoggerOptions.h"
#include "logger/RecentRows.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace quillmark {

class Clock;
class Console;
class EventPump;
class SerialPort;
class SettingsStore;

inline constexpr std::chrono::seconds kLinkRetryPeriod{2};
inline constexpr std::chrono::seconds kWriteRetryPeriod{2};
// Rows a full disk kept back are still written when it frees up within this time.
inline constexpr double kBacklogSeconds = 60.0;

struct LoggerPlatform {
    SerialPort& port;
    Clock& clock;
    EventPump& pump;
    const SettingsStore& settings;  // the port mapping
    Console& console;
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
    // A marker on the next sample (SIGUSR1 gives no text); the file numbers it among the
    // user's markers, and one line on standard error tells where it went. Several on one sample
    // all stay there.
    void addMarker(const QString& text);

    LoggerState state() const { return phase_; }
    // Every alarm fires here once, with its text; its line on standard error listens already,
    // a recording's marker listens here too.
    AlarmMonitor& alarms() { return alarms_; }
    // Every sample with its markers (a signal's, an alarm's), for whoever else follows the module.
    SampleFanOut& samples() { return polling_.samples(); }
    // What the logger is doing, for whoever reports it: its state in words, the module's model
    // once it answered, and the file being written (empty while there is none).
    struct Activity {
        QString state;
        QString model;
        QString file;
    };
    Activity activity() const;

private:
    bool bringLinkUp();
    void sample();
    // Told each sample first: the link's return, then the alarms, whose markers go on the very
    // sample that raised them.
    void checkSample(const Sample& sample);
    void onRow(const RecordingRow& row);
    void writeBacklog();
    void writeFailed(const QString& error);
    void linkLost();
    void endFile();
    void setState(LoggerState state);
    void idleUntil(std::chrono::nanoseconds until);
    void housekeeping();
    QString statusText() const;

    LoggerOptions options_;
    LoggerPlatform platform_;
    std::int16_t portNumber_;
    QString folder_;

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
    RecentRows recent_;
    LogFile file_;
    double fileFrom_ = 0.0;                 // monotonic seconds of the first row the file takes
    std::optional<double> lastWritten_;     // of the newest row queued for the file
    std::optional<double> lastBeforeFile_;  // lastWritten_ when the file was opened
    std::chrono::nanoseconds nextWriteTry_{};
    bool writeBlocked_ = false;
    bool dropReported_ = false;  // for the current file

    LoggerState phase_ = LoggerState::Connecting;
    bool linkEverUp_ = false;
    bool stopRequested_ = false;
    bool newFileRequested_ = false;
    std::optional<float> lastRpm_;
    long samples_ = 0;
    long samplesAtLastStatus_ = 0;
    std::chrono::nanoseconds lastStatus_{};
    std::chrono::nanoseconds lastStatusLine_{};
    double samplesPerSecond_ = 0.0;
};

}  // namespace quillmark
