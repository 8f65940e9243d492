#include "logger/LoggerWeb.h"

#include "analysis/AlarmMonitor.h"
#include "logger/Console.h"
#include "logger/Logger.h"
#include "network/LiveJson.h"

#include <QDir>

namespace quillmark {

std::unique_ptr<LoggerWeb> LoggerWeb::start(PreparedWeb prepared, Logger& logger, Console& console,
                                            QString& error) {
    std::unique_ptr<LoggerWeb> web(new LoggerWeb);
    web->logger_ = &logger;
    web->recordingsFolder_ = QDir(prepared.setup.recordingsFolder);
    const QHostAddress address = prepared.setup.address;
    const quint16 port = prepared.setup.port;
    web->dashboard_ = WebDashboard::start(
        std::move(prepared.setup), [&logger](const QString& text) { logger.addMarker(text); },
        error);
    if (!web->dashboard_) {
        error = QStringLiteral("--http: cannot listen on %1 port %2: %3")
                    .arg(address.toString())
                    .arg(port)
                    .arg(error);
        return nullptr;
    }
    LoggerWeb* self = web.get();
    logger.samples().addConsumer([self](const Sample& sample) {
        if (!self->firstSample_) {
            self->firstSample_ = sample.seconds;
        }
        self->dashboard_->publish(liveSampleJson(sample, sample.seconds - *self->firstSample_));
        self->sendStatus();
    });
    logger.alarms().addListener([self](const AlarmEvent& alarm) {
        self->lastAlarm_ = alarm.text();
        self->sendStatus();
    });
    QObject::connect(&web->statusTimer_, &QTimer::timeout, [self] { self->sendStatus(); });
    web->statusTimer_.start(1000);
    web->sendStatus();
    Q_UNUSED(console);
    return web;
}

void LoggerWeb::sendStatus() {
    const Logger::Activity activity = logger_->activity();
    // The logger names its file; the server measures it, so it needs the path, which the
    // recordings folder gives (a bare name would be looked for in the working folder).
    const QString path =
        activity.file.isEmpty() ? QString() : recordingsFolder_.filePath(activity.file);
    dashboard_->setStatus({activity.state, activity.linkUp, activity.model, path, activity.rows,
                           activity.samplesPerSecond, lastAlarm_});
}

}  // namespace quillmark
