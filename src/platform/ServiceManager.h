// Talking to the service manager that started the program (systemd): readiness, a status line,
// the watchdog's keep-alive and the stop, spoken on $NOTIFY_SOCKET; and whether standard error
// is the journal. Outside a service every call does nothing.
#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace quillmark {

class ServiceManager {
public:
    // Takes $NOTIFY_SOCKET and $WATCHDOG_USEC as the program found them.
    ServiceManager();

    bool underServiceManager() const { return !socketPath_.isEmpty(); }
    void ready(const QString& status) const;
    void status(const QString& status) const;
    void stopping() const;
    // The watchdog is kept alive by one of these at least every watchdogPeriod().
    void alive() const;
    // Half the watchdog's time, as systemd advises; none without a watchdog.
    std::optional<std::chrono::milliseconds> watchdogPeriod() const { return watchdogPeriod_; }

private:
    void send(const QByteArray& message) const;

    QByteArray socketPath_;
    std::optional<std::chrono::milliseconds> watchdogPeriod_;
};

// Whether standard error goes to the journal ($JOURNAL_STREAM names its device and inode).
bool standardErrorIsJournal();

}  // namespace quillmark
