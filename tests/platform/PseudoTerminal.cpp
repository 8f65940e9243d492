// Opening and driving the master side of a pseudo-terminal.
#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace quillmark::test {

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    // A program the test starts must not inherit the terminal's master side: it would count as
    // the terminal's maker, not as another program holding the device.
    if (master_ < 0 || ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || ::grantpt(master_) != 0 ||
        ::unlockpt(master_) != 0) {
        return;
    }
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        return;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ >= 0) {
        // The default line echoes; bytes echoed back would look like commands sent by the port.
        termios line{};
        ::tcgetattr(slave_, &line);
        ::cfmakeraw(&line);
        ::tcsetattr(slave_, TCSANOW, &line);
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

void PseudoTerminal::hangUp() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PseudoTerminal::send(const QByteArray& bytes) const {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0) {
            return;
        }
        done += n;
    }
}

QByteArray PseudoTerminal::receive(int count, std::chrono::milliseconds timeout) const {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + timeout;
    QByteArray got;
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd watch{master_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.append(buffer, n);
    }
    return got;
}

}  // namespace quillmark::test
