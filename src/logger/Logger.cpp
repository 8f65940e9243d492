#include "logger/Logger.h"

#include "logger/Console.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "engine/ModelTraits.h"
#include "recording/RecordingFormat.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <iterator>

namespace quillmark {

namespace {

using std::chrono::nanoseconds;

constexpr std::chrono::seconds kStatusPeriod{1};
constexpr std::chrono::seconds kStatusLinePeriod{60};
// A wait is cut into slices so that the status and the sync stay on time.
constexpr std::chrono::milliseconds kIdleSlice{250};

constexpr std::array<const char*, 5> kStateNames{"connecting", "waiting for the start speed",
                                                 "recording", "link lost", "write failed"};

nanoseconds fromSeconds(double seconds) {
    return std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double>(seconds));
}

}  // namespace

Logger::Logger(const LoggerOptions& options, const LoggerPlatform& platform,
               std::int16_t portNumber, QString folder, const AlarmLimits& alarmLimits)
    : options_(options),
      platform_(platform),
      portNumber_(portNumber),
      folder_(std::move(folder)),
      boxes_(platform.console),
      names_(platform.settings),
      link_(platform.port, platform.clock, platform.pump, boxes_, names_, portNumber_),
      session_(link_, shared_),
      reads_(link_, shared_, [this] { session_.close(); }),
      polling_(link_, shared_, reads_, [this] { session_.close(); }),
      lineEvents_(platform.port, boxes_, shared_),
      trigger_({options.startRpm, options.stopValue(), options.stopAfter}),
      recent_(std::max(kBacklogSeconds, std::chrono::duration<double>(options.preTrigger).count())),
      file_(options.syncEvery) {
    polling_.samples().addCheck([this](const Sample& sample) { checkSample(sample); });
    polling_.samples().addConsumer([this](const Sample& sample) { onRow(recordingRow(sample)); });
    alarms_.setLimits(alarmLimits);
    alarms_.addListener([this](const AlarmEvent& event) {
        platform_.console.event(QStringLiteral("Alarm: %1").arg(event.text()));
        // The check runs before the sample is kept, so the marker goes on the sample that
        // raised it.
        polling_.samples().addMarker(MarkerKind::Alarm, markerText(event.what()));
    });
    // Line errors reach the console as the window's Communications Error box would show them.
    platform.port.setEventHandler([this] { lineEvents_.handleLineEvent(); });
}

void Logger::run() {
    const auto now = [this] { return platform_.clock.now(); };
    lastStatus_ = now();
    lastStatusLine_ = now();
    platform_.console.status(statusText());
    while (!stopRequested_) {
        if (!shared_.panelActive && !bringLinkUp()) {
            idleUntil(now() + kLinkRetryPeriod);
            continue;
        }
        const auto started = now();
        sample();
        if (shared_.panelActive && options_.interval > nanoseconds::zero()) {
            idleUntil(started + options_.interval);
        }
    }
    endFile();
    platform_.console.status(statusText());
    platform_.console.finish();
}

bool Logger::bringLinkUp() {
    boxes_.setQuiet(phase_ == LoggerState::LinkLost);
    session_.open();
    if (link_.linkUp) {
        return true;
    }
    session_.close();
    linkLost();
    return false;
}

void Logger::sample() {
    polling_.pollOnce();
    if (!shared_.panelActive) {
        linkLost();
    }
    housekeeping();
}

void Logger::linkLost() {
    if (phase_ == LoggerState::LinkLost) {
        return;
    }
    // Back on the link, a value still past its limit alarms again.
    alarms_.reset();
    platform_.console.event(
        linkEverUp_ ? QStringLiteral("Link to the module lost; retrying every 2 s.")
                    : QStringLiteral("No link to the module on %1; retrying every 2 s.")
                          .arg(options_.device.isEmpty() ? PortNames::displayName(portNumber_)
                                                         : options_.device));
    // What is written so far reaches the disk now, not after the module is back.
    file_.syncSoon();
    boxes_.setQuiet(true);
    setState(LoggerState::LinkLost);
}

void Logger::checkSample(const Sample& sample) {
    if (phase_ == LoggerState::Connecting || phase_ == LoggerState::LinkLost) {
        const QString line = linkEverUp_
                                 ? QStringLiteral("Link back to the module: %1, firmware \"%2\".")
                                 : QStringLiteral("Connected to the module: %1, firmware \"%2\".");
        platform_.console.event(line.arg(shared_.modelName, shared_.firmwareId));
        linkEverUp_ = true;
        boxes_.setQuiet(false);
    }
    if (!alarms_.limits().empty()) {
        alarms_.check(sample.values, modelTraits(shared_.modelName).showsRetard,
                      QDateTime::currentDateTime());
    }
}

void Logger::onRow(const RecordingRow& row) {
    ++samples_;
    lastRpm_ = row.value(Quantity::EngineSpeed);
    const bool marked = !row.markers.empty();
    recent_.add(row);
    const TriggerChange change = trigger_.feed(fromSeconds(row.seconds), lastRpm_);
    if (change != TriggerChange::None) {
        endFile();
    }
    if (change == TriggerChange::Start) {
        fileFrom_ = row.seconds - std::chrono::duration<double>(options_.preTrigger).count();
    }
    if (trigger_.recording()) {
        writeBacklog();
    }
    if (marked && !(lastWritten_ && *lastWritten_ >= row.seconds)) {
        // It goes into a file with the rows before a start, or once writing works again.
        platform_.console.event(
            QStringLiteral("Marker at %1 is held with the recent rows: %2.")
                .arg(row.clock, trigger_.recording()
                                    ? QStringLiteral("the file cannot be written")
                                    : QStringLiteral("waiting for the start speed")));
    }
    setState(!trigger_.recording() ? LoggerState::Waiting
             : writeBlocked_       ? LoggerState::WriteFailed
                                   : LoggerState::Recording);
}

void Logger::addMarker(const QString& text) {
    polling_.samples().addMarker(MarkerKind::User, markerText(text));
}

void Logger::writeBacklog() {
    if (writeBlocked_ && platform_.clock.now() < nextWriteTry_) {
        return;
    }
    const bool opening = !file_.hasHeader();
    if (const QString error = file_.ready(folder_, shared_.modelName); !error.isEmpty()) {
        writeFailed(error);
        return;
    }
    if (opening) {
        lastBeforeFile_ = lastWritten_;
        platform_.console.event(QStringLiteral("Recording to %1").arg(file_.path()));
    }
    // Usually only the newest row is unwritten: the search starts from the end.
    const auto& rows = recent_.rows();
    auto first = rows.end();
    while (first != rows.begin()) {
        const double seconds = std::prev(first)->seconds;
        if (seconds < fileFrom_ || (lastWritten_ && seconds <= *lastWritten_)) {
            break;
        }
        --first;
    }
    for (auto it = first; it != rows.end(); ++it) {
        const RecordingRow& row = *it;
        if (const QString error = file_.write(row); !error.isEmpty()) {
            writeFailed(error);
            return;
        }
        lastWritten_ = row.seconds;
        for (const RecordingMarker& marker : file_.lastMarkers()) {
            platform_.console.event(QStringLiteral("Marker %1 at %2 in %3")
                                        .arg(markerCellText(marker), row.clock, file_.path()));
        }
    }
    if (writeBlocked_) {
        writeBlocked_ = false;
        platform_.console.event(QStringLiteral("Writing works again."));
    }
}

void Logger::writeFailed(const QString& error) {
    if (!writeBlocked_) {
        platform_.console.event(
            QStringLiteral("Cannot write the recording %1; polling goes on, and recording goes on "
                           "in a new file when writing works again.")
                .arg(error));
    }
    writeBlocked_ = true;
    nextWriteTry_ = platform_.clock.now() + kWriteRetryPeriod;
    // Rows queued after the last one the file took go into the next file, from the backlog.
    if (file_.hasHeader()) {
        const std::optional<double> inFile = file_.lastWritten();
        lastWritten_ = inFile ? inFile : lastBeforeFile_;
    }
    // A file that has rows keeps them, ending with its last whole row; the next rows go into a
    // new file. A file whose header did not fit stays open for the next try.
    if (file_.rows() > 0) {
        endFile();
    }
}

void Logger::endFile() {
    if (!file_.isOpen()) {
        return;
    }
    const QString path = file_.path();
    const bool hadHeader = file_.hasHeader();
    file_.close();
    dropReported_ = false;
    if (!hadHeader) {
        return;
    }
    const long dropped = file_.dropped();
    platform_.console.event(
        dropped == 0
            ? QStringLiteral("Finished %1 (%2 rows)").arg(path).arg(file_.rows())
            : QStringLiteral("Finished %1 (%2 rows; %3 rows left out: the disk did not take them "
                             "in time)")
                  .arg(path)
                  .arg(file_.rows())
                  .arg(dropped));
}

void Logger::setState(LoggerState state) {
    if (state == phase_) {
        return;
    }
    phase_ = state;
    if (!platform_.console.statusOnTerminal()) {
        lastStatusLine_ = platform_.clock.now();
        platform_.console.status(statusText());
    }
}

void Logger::idleUntil(nanoseconds until) {
    for (auto now = platform_.clock.now(); !stopRequested_ && now < until;
         now = platform_.clock.now()) {
        housekeeping();
        platform_.pump.waitForEvents(std::min<nanoseconds>(until - now, kIdleSlice));
    }
}

void Logger::housekeeping() {
    if (newFileRequested_) {
        newFileRequested_ = false;
        endFile();
        trigger_.restart();
        lastWritten_.reset();
        if (phase_ == LoggerState::Recording || phase_ == LoggerState::WriteFailed) {
            setState(LoggerState::Waiting);
        }
    }
    if (const QString error = file_.failure(); !error.isEmpty()) {
        writeFailed(error);
    }
    if (!dropReported_ && file_.dropped() > 0) {
        platform_.console.event(
            QStringLiteral("The disk does not keep up: rows are being left out of %1.")
                .arg(file_.path()));
        dropReported_ = true;
    }
    const auto now = platform_.clock.now();
    if (now - lastStatus_ < kStatusPeriod) {
        return;
    }
    samplesPerSecond_ = double(samples_ - samplesAtLastStatus_) /
                        std::chrono::duration<double>(now - lastStatus_).count();
    samplesAtLastStatus_ = samples_;
    lastStatus_ = now;
    if (platform_.console.statusOnTerminal() || now - lastStatusLine_ >= kStatusLinePeriod) {
        lastStatusLine_ = now;
        platform_.console.status(statusText());
    }
}

Logger::Activity Logger::activity() const {
    return {QString::fromLatin1(kStateNames.at(static_cast<std::size_t>(phase_))),
            shared_.modelName, file_.hasHeader() ? QFileInfo(file_.path()).fileName() : QString()};
}

QString Logger::statusText() const {
    const QString file =
        file_.hasHeader() ? QFileInfo(file_.path()).fileName() : QStringLiteral("-");
    const QString rpm = lastRpm_ ? QString::number(double(*lastRpm_), 'f', 0) : QStringLiteral("-");
    return QStringLiteral("%1; file %2; %3 rows; %4 samples/s; %5 rpm")
        .arg(QString::fromLatin1(kStateNames.at(static_cast<std::size_t>(phase_))), file)
        .arg(file_.rows())
        .arg(samplesPerSecond_, 0, 'f', 1)
        .arg(rpm);
}

}  // namespace quillmark
