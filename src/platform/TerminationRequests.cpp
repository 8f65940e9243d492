#include "platform/TerminationRequests.h"

#include <QSocketNotifier>

#include <array>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#endif

namespace quillmark {

#ifdef Q_OS_UNIX
namespace {

constexpr std::array kSignals{SIGTERM, SIGHUP, SIGINT};

// A signal handler may do next to nothing; it writes one byte into a pipe whose other end the
// event loop watches.
int requestPipe[2] = {-1, -1};

extern "C" void noteRequest(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(requestPipe[1], &byte, 1);
}

}  // namespace
#endif

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
#ifdef Q_OS_UNIX
    if (::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        // The signals keep their usual effect: the process ends without its close path.
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(requestPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationRequests::take);
    struct sigaction action {};
    action.sa_handler = noteRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

TerminationRequests::~TerminationRequests() {
#ifdef Q_OS_UNIX
    if (!notifier_) {
        return;
    }
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    notifier_.reset();
    ::close(requestPipe[0]);
    ::close(requestPipe[1]);
    requestPipe[0] = requestPipe[1] = -1;
#endif
}

void TerminationRequests::take() {
#ifdef Q_OS_UNIX
    // Several signals before the loop came round are one request.
    char bytes[16];
    while (::read(requestPipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    emit requested();
}

}  // namespace quillmark
