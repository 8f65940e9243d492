#include "platform/ProgramSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <io.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <unistd.h>

#include <time.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#endif

namespace quillmark {

#ifdef Q_OS_WIN

// Windows has no SIGHUP and stops console programs through its own console events; not built
// there yet.
ProgramSignals::ProgramSignals(QObject* parent) : QObject(parent) {}
ProgramSignals::~ProgramSignals() = default;
QString ProgramSignals::install(std::function<void()> onStop, std::function<void()> onNewFile,
                                MarkerHandler onMarker) {
    onStop_ = std::move(onStop);
    onNewFile_ = std::move(onNewFile);
    onMarker_ = std::move(onMarker);
    return {};
}
void ProgramSignals::drain() {}
bool standardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}
bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

#else

namespace {

// The handler only writes the signal's number into a pipe; the event loop reads it.
int signalPipe[2] = {-1, -1};
// When the last SIGUSR1 came, on the monotonic clock: the event loop may get to it only after a
// wait that runs no events, and a marker belongs to the moment it was asked for.
std::atomic<std::int64_t> lastMarkerAt{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free);

extern "C" void onProgramSignal(int number) {
    const int saved = errno;
    if (number == SIGUSR1) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        lastMarkerAt.store(std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec);
    }
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

ProgramSignals::ProgramSignals(QObject* parent) : QObject(parent) {}

ProgramSignals::~ProgramSignals() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(number, &standard, nullptr);
    }
    if (onMarker_) {
        sigaction(SIGUSR1, &standard, nullptr);
    }
}

QString ProgramSignals::install(std::function<void()> onStop, std::function<void()> onNewFile,
                                MarkerHandler onMarker) {
    onStop_ = std::move(onStop);
    onNewFile_ = std::move(onNewFile);
    onMarker_ = std::move(onMarker);
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return qt_error_string(errno);
    }
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
    struct sigaction action {};
    action.sa_handler = onProgramSignal;
    sigemptyset(&action.sa_mask);
    // Restarted system calls: a signal must not turn a serial read or a file write into an error.
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        if (sigaction(number, &action, nullptr) != 0) {
            return qt_error_string(errno);
        }
    }
    // Without a taker SIGUSR1 keeps its usual effect.
    if (onMarker_ && sigaction(SIGUSR1, &action, nullptr) != 0) {
        return qt_error_string(errno);
    }
    return {};
}

void ProgramSignals::drain() {
    char numbers[16];
    for (;;) {
        const auto n = ::read(signalPipe[0], numbers, sizeof numbers);
        if (n <= 0) {
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (numbers[i] == SIGUSR1) {
                if (onMarker_) {
                    onMarker_(std::chrono::nanoseconds(lastMarkerAt.load()));
                }
                continue;
            }
            const auto& handler = numbers[i] == SIGHUP ? onNewFile_ : onStop_;
            if (handler) {
                handler();
            }
        }
    }
}

bool standardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

#endif

}  // namespace quillmark
