// quillmark-logger at --interval fast against the line-paced module: samples a second against
// the line's limit and against the best this machine's pseudo-terminal allows, the logger's
// processor time, its resident memory over the run, and whether the file opens.
// QUILLMARK_LOGGER_BENCH_SECONDS sets the length (default 10; 600 for the ten-minute figure,
// with QTEST_FUNCTION_TIMEOUT raised to match).
#include "recording/RecordingReader.h"
#include "sim/CommandTable.h"
#include "sim/ModuleEngine.h"
#include "sim/PtyModule.h"

#include "ProcessUse.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace quillmark;
using namespace quillmark::sim;
using namespace quillmark::test;

namespace {

// 9 command bytes and 20 answer bytes at 56000 baud, 10 bits a byte, plus nine 2 ms pauses: the
// real line's limit, which the simulator keeps (it takes a command one byte time after it was
// sent, and sends each answer byte at line speed).
constexpr double kByteMs = 10.0 * 1000.0 / 56000.0;
constexpr double kSampleFloorMs = (9 + 20) * kByteMs + 9 * 2.0;
// The logger against a bare client polling a module of its own at the same moment: a logger a
// tenth slower falls below this however busy the machine is, since a busy spell slows the bare
// client too.
constexpr double kLowestShareOfBare = 0.92;

// The polling cycle's reads, as the module's command table gives them.
std::vector<std::pair<std::uint8_t, int>> cycleReads() {
    std::vector<std::pair<std::uint8_t, int>> reads;
    for (const CommandInfo& info : kCommands) {
        if (info.kind == AnswerKind::Data) {
            reads.emplace_back(info.code, 1 + info.dataBytes);
        }
    }
    return reads;
}

// The fastest a client can poll on this pseudo-terminal: the cycle's commands, each answer
// taken as it comes and the next command 2 ms after it, with nothing else done. Samples a
// second over `length`.
double bareClientRate(const std::string& device, std::chrono::milliseconds length) {
    using Clock = std::chrono::steady_clock;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return 0.0;
    }
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    // As the logger asks: a sleep ends on time, not up to 50 us late.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const auto reads = cycleReads();
    const auto start = Clock::now();
    int cycles = 0;
    bool failed = false;
    while (!failed && Clock::now() - start < length) {
        for (const auto& [command, answerLength] : reads) {
            failed = ::write(fd, &command, 1) != 1;
            int got = 0;
            std::array<std::uint8_t, 8> answer{};
            while (!failed && got < answerLength) {
                pollfd in{fd, POLLIN, 0};
                const ssize_t n = ::poll(&in, 1, 1000) == 1
                                      ? ::read(fd, answer.data(), std::size_t(answerLength - got))
                                      : -1;
                failed = n <= 0;
                got += failed ? 0 : int(n);
            }
            std::this_thread::sleep_until(Clock::now() + std::chrono::milliseconds(2));
        }
        ++cycles;
    }
    ::close(fd);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return failed ? 0.0 : cycles / seconds;
}

double bareClientRateOnItsOwnModule(std::chrono::milliseconds length) {
    ModuleEngine engine;
    PtyModule module(engine, true);
    module.start();
    return bareClientRate(module.slavePath(), length);
}

}  // namespace

class LoggerBench final : public QObject {
    Q_OBJECT
private slots:
    void fastAgainstTheLineLimit() {
        const int seconds = qEnvironmentVariableIsSet("QUILLMARK_LOGGER_BENCH_SECONDS")
                                ? qEnvironmentVariableIntValue("QUILLMARK_LOGGER_BENCH_SECONDS")
                                : 10;
        ModuleEngine engine;
        PtyModule module(engine, true);
        module.start();
        QTemporaryDir dir;
        QProcess logger;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        logger.setProcessEnvironment(env);
        logger.start(qEnvironmentVariable("QUILLMARK_BUILD_BIN") + "/quillmark-logger",
                     {"--device", QString::fromStdString(module.slavePath()), "--out", dir.path(),
                      "--interval", "fast"});
        QVERIFY(logger.waitForStarted());
        QTest::qWait(2000);  // bring-up and warm-up
        // The bare client polls its own module over the same seconds, so a busy spell of the
        // machine slows both alike.
        double bare = 0.0;
        std::jthread bareClient([&bare, seconds] {
            bare = bareClientRateOnItsOwnModule(std::chrono::seconds(seconds));
        });
        const ProcessUse start = useOf(logger.processId());
        const auto statusBefore = engine.log().total();
        QElapsedTimer timer;
        timer.start();
        for (int s = 10; s <= seconds; s += 10) {
            QTest::qWait(10000);
            qInfo("after %4d s: resident %ld kB", s, useOf(logger.processId()).rssKb);
        }
        QTest::qWait(std::max(0, seconds * 1000 - int(timer.elapsed())));
        const double wall = timer.nsecsElapsed() / 1e9;
        const ProcessUse end = useOf(logger.processId());
        const double samples = double(engine.log().total() - statusBefore) / 9.0;
        bareClient.join();
        ::kill(static_cast<pid_t>(logger.processId()), SIGTERM);
        QVERIFY(logger.waitForFinished(10000));
        QCOMPARE(logger.exitCode(), 0);

        const double limit = 1000.0 / kSampleFloorMs;
        const double rate = samples / wall;
        qInfo(
            "%.1f samples/s over %.0f s; line limit %.1f/s; ratio %.3f; a bare client %.1f/s "
            "(%.3f of the limit), the logger %.3f of it; CPU %.1f %% of one core; resident "
            "%ld kB at the start, %ld kB at the end",
            rate, wall, limit, rate / limit, bare, bare / limit, rate / bare,
            100.0 * (end.cpuSeconds - start.cpuSeconds) / wall, start.rssKb, end.rssKb);
        // What stretches every transaction (a pause rounded up to whole milliseconds, a wait that
        // polls, work before the next command) shows against the bare client.
        QVERIFY(bare > 0.0);
        QVERIFY2(rate / bare > kLowestShareOfBare, "a tenth or more below a bare client");
        const QStringList files = QDir(dir.path()).entryList({"*.csv"});
        QCOMPARE(files.size(), 1);
        QElapsedTimer reading;
        reading.start();
        const RecordingContents contents = readRecordingFile(dir.filePath(files.front()));
        QVERIFY2(contents.ok(), qPrintable(contents.error));
        qInfo("the file: %zu rows, read back in %lld ms", contents.rows.size(), reading.elapsed());
    }
};

QTEST_GUILESS_MAIN(LoggerBench)
#include "LoggerBench.moc"
