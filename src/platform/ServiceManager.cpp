#include "platform/ServiceManager.h"

#include <QByteArray>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#endif

namespace quillmark {

ServiceManager::ServiceManager() : socketPath_(qgetenv("NOTIFY_SOCKET")) {
#ifdef Q_OS_LINUX
    bool ok = false;
    const qlonglong micros = qEnvironmentVariable("WATCHDOG_USEC").toLongLong(&ok);
    const QByteArray watchdogPid = qgetenv("WATCHDOG_PID");
    const bool forUs = watchdogPid.isEmpty() || watchdogPid.toLongLong() == ::getpid();
    if (ok && micros > 0 && forUs) {
        watchdogPeriod_ = std::chrono::milliseconds(micros / 2000);
    }
#endif
}

void ServiceManager::ready(const QString& status) const {
    send("READY=1\nSTATUS=" + status.toUtf8());
}

void ServiceManager::status(const QString& status) const {
    send("STATUS=" + status.toUtf8());
}

void ServiceManager::stopping() const {
    send("STOPPING=1");
}

void ServiceManager::alive() const {
    if (watchdogPeriod_) {
        send("WATCHDOG=1");
    }
}

void ServiceManager::send(const QByteArray& message) const {
#ifdef Q_OS_LINUX
    sockaddr_un address{};
    if (socketPath_.isEmpty() ||
        static_cast<std::size_t>(socketPath_.size()) >= sizeof address.sun_path) {
        return;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath_.constData(), std::size_t(socketPath_.size()));
    // An abstract socket's name starts with a zero byte where the variable has '@'.
    if (address.sun_path[0] == '@') {
        address.sun_path[0] = '\0';
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + std::size_t(socketPath_.size()));
    // Best effort: a manager that is not listening must not stop the logging.
    [[maybe_unused]] const auto sent =
        ::sendto(fd, message.constData(), std::size_t(message.size()), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
#else
    (void)message;
#endif
}

bool standardErrorIsJournal() {
#ifdef Q_OS_LINUX
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    const qsizetype colon = stream.indexOf(':');
    struct stat info {};
    if (colon <= 0 || ::fstat(STDERR_FILENO, &info) != 0) {
        return false;
    }
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = stream.left(colon).toULongLong(&deviceOk);
    const qulonglong inode = stream.mid(colon + 1).toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == info.st_dev && inode == info.st_ino;
#else
    return false;
#endif
}

}  // namespace quillmark
