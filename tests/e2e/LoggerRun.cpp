#include "LoggerRun.h"

#include "ProcessUse.h"
#include "sim/CommandTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QUrl>

#include <csignal>

namespace quillmark::test {

QString loggerProgram() {
    const QString other = qEnvironmentVariable("QUILLMARK_LOGGER_PROGRAM");
    return other.isEmpty() ? qEnvironmentVariable("QUILLMARK_BUILD_BIN") + "/quillmark-logger"
                           : other;
}

int waitMs(int ms) {
    bool ok = false;
    const double factor = qEnvironmentVariable("QUILLMARK_TEST_TIME_FACTOR").toDouble(&ok);
    return ok && factor > 1.0 ? int(ms * factor) : ms;
}

LoggerRun::LoggerRun(std::optional<std::uint8_t> speedByte) {
    if (speedByte) {
        engine.setFixedData(sim::command::kSpeed, {*speedByte});
    }
}

LoggerRun::~LoggerRun() {
    if (logger.state() != QProcess::NotRunning) {
        stop(SIGTERM);
    }
}

void LoggerRun::start(const QStringList& options, const QString& device) {
    module.start();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
    logger.setProcessEnvironment(env);
    logger.start(loggerProgram(),
                 QStringList{"--device",
                             device.isEmpty() ? QString::fromStdString(module.slavePath()) : device,
                             "--out", folder()} +
                     options);
}

bool LoggerRun::startServing(const QStringList& options, const QByteArray& ready, int ms) {
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    start(QStringList{"--interval", "fast", "--http", QStringLiteral("127.0.0.1:%1").arg(port)} +
          options);
    QElapsedTimer timer;
    timer.start();
    if (!waitFor("web dashboard: ", ms) || !waitFor(ready, ms - int(timer.elapsed()))) {
        return false;
    }
    static const QRegularExpression said(QStringLiteral("web dashboard: (\\S+)"));
    link = said.match(QString::fromUtf8(errors)).captured(1);
    token = QUrl(link).query().section(QLatin1Char('='), 1).toLatin1();
    return true;
}

bool LoggerRun::waitFor(const QByteArray& text, int ms, qsizetype times) {
    QElapsedTimer timer;
    timer.start();
    const int limit = waitMs(ms);
    while (errors.count(text) < times && timer.elapsed() < limit &&
           logger.state() != QProcess::NotRunning) {
        logger.waitForReadyRead(50);
        errors += logger.readAllStandardError();
    }
    errors += logger.readAllStandardError();
    return errors.count(text) >= times;
}

void LoggerRun::drain() {
    logger.waitForReadyRead(10);
    errors += logger.readAllStandardError();
}

QStringList LoggerRun::lines() const {
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )"));
    QStringList all = QString::fromUtf8(errors).split('\n', Qt::SkipEmptyParts);
    for (QString& line : all) {
        line.remove(stamp);
    }
    return all;
}

void LoggerRun::sendSignal(int signal) {
    if (const qint64 pid = logger.processId(); pid > 0) {
        ::kill(static_cast<pid_t>(pid), signal);
    }
}

int LoggerRun::stop(int signal) {
    sendSignal(signal);
    logger.waitForFinished(waitMs(10000));
    errors += logger.readAllStandardError();
    return logger.exitCode();
}

QStringList LoggerRun::files() const {
    const QDir recordings(folder());
    QStringList paths;
    for (const QString& name : recordings.entryList({"*.csv"}, QDir::Files, QDir::Name)) {
        paths << recordings.filePath(name);
    }
    return paths;
}

long LoggerRun::statusCommands() {
    for (const sim::LogEntry& entry : engine.log().entriesFrom(counted_)) {
        statusCommands_ += entry.command == sim::command::kStatus ? 1 : 0;
        counted_ = entry.sequence + 1;
    }
    return statusCommands_;
}

LoggerLoad LoggerRun::measure(int ms) {
    const double cpuBefore = useOf(logger.processId()).cpuSeconds;
    const long samplesBefore = statusCommands();
    QElapsedTimer timer;
    timer.start();
    QTest::qWait(ms);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return {double(statusCommands() - samplesBefore) / seconds,
            100.0 * (useOf(logger.processId()).cpuSeconds - cpuBefore) / seconds};
}

QString LoggerRun::writeFile(const QString& name, const QByteArray& contents) const {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size()
               ? file.fileName()
               : QString();
}

}  // namespace quillmark::test
