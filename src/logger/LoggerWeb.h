// The logger's web dashboard: each sample, the logger's state and its alarms go to the server,
// and a marker asked for on the page lands on the next sample as SIGUSR1's does.
#pragma once

#include "network/http/WebDashboard.h"
#include "network/http/WebOptions.h"

#include <QDir>
#include <QTimer>

#include <memory>
#include <optional>

namespace quillmark {

class Console;
class Logger;

class LoggerWeb {
public:
    // Serving, or null with `error` saying why not.
    static std::unique_ptr<LoggerWeb> start(PreparedWeb prepared, Logger& logger, Console& console,
                                            QString& error);

    QString link() const { return dashboard_->link(); }

private:
    LoggerWeb() = default;
    void sendStatus();

    Logger* logger_ = nullptr;
    QDir recordingsFolder_;  // where the logger's files are
    std::unique_ptr<WebDashboard> dashboard_;
    QTimer statusTimer_;  // while no samples come
    std::optional<double> firstSample_;
    QString lastAlarm_;
};

}  // namespace quillmark
