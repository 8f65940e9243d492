// quillmark-sim: the engine module on a pseudo-terminal, for trying the program without one.
#include "platform/ErrorRecord.h"
#include "sim/ModuleEngine.h"
#include "sim/PortRegistration.h"
#include "sim/PtyModule.h"
#include "sim/ReplayScript.h"
#include "sim/SimOptions.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <system_error>

using namespace quillmark::sim;

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool installStopHandlers() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        if (sigaction(sig, &action, nullptr) != 0) {
            return false;
        }
    }
    // A reader that takes the first line and goes away must not kill the simulator.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Copies new log entries to the log file; runs on the main thread so that writing to a slow
// file never delays an answer.
class LogWriter final {
public:
    explicit LogWriter(const QString& path) {
        if (path == QLatin1String("-")) {
            out_ = stderr;
        } else if (!path.isEmpty()) {
            owned_.reset(std::fopen(QFile::encodeName(path).constData(), "w"));
            out_ = owned_.get();
        }
    }
    bool failed(const QString& path) const { return !path.isEmpty() && out_ == nullptr; }

    void drain(const CommandLog& log) {
        if (out_ == nullptr) {
            return;
        }
        const auto entries = log.entriesFrom(next_);
        for (const auto& e : entries) {
            std::fprintf(out_, "%.3f 0x%02X\n", static_cast<double>(e.time.count()) / 1000.0,
                         static_cast<unsigned>(e.command));
            next_ = e.sequence + 1;
        }
        if (!entries.empty()) {
            std::fflush(out_);
        }
    }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> owned_;
    std::FILE* out_ = nullptr;
    std::uint64_t next_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    ParsedOptions parsed = parseSimOptions(args);
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "quillmark-sim: %s\n", qPrintable(parsed.error));
        return 2;
    }
    SimOptions& options = parsed.options;
    if (options.help) {
        std::fputs(qPrintable(simHelpText()), stdout);
        return 0;
    }
    if (!installStopHandlers()) {
        std::perror("quillmark-sim: signal handlers");
        return 1;
    }

    ReplayScript script;
    if (!options.replayPath.isEmpty()) {
        script = ReplayScript::load(options.replayPath);
        if (script.error.isEmpty()) {
            script.error = takeRecordedModel(options, script.model);
        }
        if (!script.error.isEmpty()) {
            std::fprintf(stderr, "quillmark-sim: %s: %s\n", qPrintable(options.replayPath),
                         qPrintable(script.error));
            return 2;
        }
    }

    ModuleEngine engine;
    applyOptions(options, engine);
    LogWriter log(options.logPath);
    if (log.failed(options.logPath)) {
        std::fprintf(stderr, "quillmark-sim: cannot write %s\n", qPrintable(options.logPath));
        return 1;
    }

    std::unique_ptr<ReplayPlayer> replay;
    if (!options.replayPath.isEmpty()) {
        replay = std::make_unique<ReplayPlayer>(std::move(script), options.loop);
        engine.setBeforeAnswer(
            [&engine, player = replay.get()](std::uint8_t command, std::chrono::microseconds at) {
                player->beforeAnswer(command, at, engine);
            });
    }

    PtyModule module(engine, options.pace);
    try {
        module.start();
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "quillmark-sim: %s\n", e.what());
        return 1;
    }
    std::unique_ptr<PortRegistration> registration;
    if (options.com) {
        try {
            registration = std::make_unique<PortRegistration>(
                *options.com, QString::fromStdString(module.slavePath()));
        } catch (const quillmark::RaisedError& e) {
            std::fprintf(stderr, "quillmark-sim: %s\n", qPrintable(e.record().description));
            return 1;
        }
        if (const auto& previous = registration->previousValue()) {
            std::fprintf(stderr,
                         "quillmark-sim: Com%d is mapped to the simulator until it ends; then it "
                         "is mapped to %s again.\n",
                         *options.com, qPrintable(*previous));
        }
    }
    std::printf("%s\n", module.slavePath().c_str());
    std::fflush(stdout);

    pollfd stop{signalPipe[0], POLLIN, 0};
    while (::poll(&stop, 1, 50) == 0 || (stop.revents & POLLIN) == 0) {
        log.drain(engine.log());
    }
    module.stop();
    log.drain(engine.log());
    registration.reset();
    return 0;
}
