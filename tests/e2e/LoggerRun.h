// quillmark-logger as it ships, on the module simulator over a pseudo-terminal, for end-to-end
// tests and benchmarks: started in a home folder of its own, its standard error gathered, its
// recordings listed, its samples counted where the module saw their status commands, its cost
// measured, and ended by a signal. Every wait is bounded.
#pragma once

#include "sim/ModuleEngine.h"
#include "sim/PtyModule.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <optional>

namespace quillmark::test {

// The logger under test: the build's own, or the one QUILLMARK_LOGGER_PROGRAM names (the arm64
// build run under qemu by scripts/test-arm64.sh).
QString loggerProgram();

// How long to wait for the logger to start, say something or end: QUILLMARK_TEST_TIME_FACTOR
// stretches it for an emulated logger. What a test checks in the rows is not stretched.
int waitMs(int ms);

// 20 counts of 40 rpm on a Corvane II VR: 800 rpm, below a trigger of 1000 rpm.
inline constexpr std::uint8_t kBelowTriggerSpeed = 20;

// No engine speed of its own: the simulator's drive cycle, from idle to the limiter and back.
inline constexpr std::optional<std::uint8_t> kDriveCycle = std::nullopt;

// The logger's work over a stretch of time.
struct LoggerLoad {
    double samplesPerSecond = 0.0;
    double cpuPercent = 0.0;  // of one core
};

struct LoggerRun {
    // The module answers engine speed with `speedByte` throughout; none leaves the simulator's
    // drive cycle.
    explicit LoggerRun(std::optional<std::uint8_t> speedByte = kBelowTriggerSpeed);
    // A logger still running gets SIGTERM, as the service manager would send it.
    ~LoggerRun();
    LoggerRun(const LoggerRun&) = delete;
    LoggerRun& operator=(const LoggerRun&) = delete;

    sim::ModuleEngine engine;
    sim::PtyModule module{engine, true};
    QTemporaryDir dir;  // the logger's home, settings and state
    QProcess logger;
    QByteArray errors;  // standard error so far
    // With the web dashboard (startServing): its port, the link it named and the link's token.
    quint16 port = 0;
    QString link;
    QByteArray token;

    // --out: the folder of the recordings.
    QString folder() const { return dir.filePath(QStringLiteral("rec")); }
    // On the module's device, or on `device` (a link to it, a path that is not there yet).
    void start(const QStringList& options, const QString& device = {});
    // At --interval fast with the dashboard on a free loopback port: true once it has named its
    // link and said `ready` within `ms`.
    bool startServing(const QStringList& options, const QByteArray& ready, int ms);

    // Until `times` lines on standard error have held `text`, the logger ended or `ms` passed.
    bool waitFor(const QByteArray& text, int ms = 8000, qsizetype times = 1);
    // Takes what the logger has said so far.
    void drain();
    // The lines said, without the date and time each starts with.
    QStringList lines() const;

    // Sends `signal` to the logger while it runs (never to a process id of 0: the test's group).
    void sendSignal(int signal);
    // Sends `signal`, waits for the end; the exit code.
    int stop(int signal);

    // The recordings in the folder, by name.
    QStringList files() const;
    // Status commands the module has received so far: one a sample. The module keeps only its
    // newest 100 000 commands; call this at least that often (about 40 minutes at fast).
    long statusCommands();
    // Waits `ms` and gives the samples a second and processor time of that stretch.
    LoggerLoad measure(int ms);
    // A file in the home folder with `contents`; its path, or empty when it could not be written.
    QString writeFile(const QString& name, const QByteArray& contents) const;

private:
    std::uint64_t counted_ = 0;  // the module's commands seen by statusCommands()
    long statusCommands_ = 0;
};

}  // namespace quillmark::test
