// The program's end of a simulated line: the pty slave opened raw with plain POSIX calls.
#pragma once

#include <QByteArray>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace quillmark::sim::test {

class PtyPeer final {
public:
    using Clock = std::chrono::steady_clock;

    explicit PtyPeer(const std::string& path) { open(path); }
    ~PtyPeer() { close(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool open(const std::string& path) {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) {
            return false;
        }
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
        tcflush(fd_, TCIFLUSH);
        return true;
    }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool isOpen() const { return fd_ >= 0; }

    // Drops what is waiting, then sends one command byte; returns the moment it was written.
    Clock::time_point send(std::uint8_t command) {
        tcflush(fd_, TCIFLUSH);
        const auto at = Clock::now();
        [[maybe_unused]] const auto n = ::write(fd_, &command, 1);
        return at;
    }

    // Reads until `count` bytes came or the timeout passed; lastByteAt tells when the last
    // byte was seen.
    QByteArray read(qsizetype count, std::chrono::milliseconds timeout) {
        QByteArray got;
        const auto deadline = Clock::now() + timeout;
        while (got.size() < count) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) {
                continue;
            }
            char buf[512];
            const auto want = std::min<qsizetype>(qsizetype(sizeof buf), count - got.size());
            const ssize_t n = ::read(fd_, buf, static_cast<std::size_t>(want));
            if (n > 0) {
                got.append(buf, n);
                lastByteAt = Clock::now();
            }
        }
        return got;
    }

    Clock::time_point lastByteAt{};

private:
    int fd_ = -1;
};

}  // namespace quillmark::sim::test
