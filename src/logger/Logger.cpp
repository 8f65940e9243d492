#include "logger/Logger.h"

#include "link/LinkBringUp.h"
#include "logger/Console.h"
#include "platform/Clock.h"
#include "platform/ErrorRecord.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "engine/ModelTraits.h"
#include "platform/ServiceManager.h"
#include "recording/RecordingFormat.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace quillmark {

namespace {

using std::chrono::nanoseconds;

constexpr std::chrono::seconds kStatusPeriod{1};
constexpr std::chrono::seconds kStatusLinePeriod{60};
// How often the file being written is checked to still be there, and the disk to have room.
constexpr std::chrono::seconds kFileCheckPeriod{1};
// A wait is cut into slices so that the status, the sync and a stop stay on time.
constexpr std::chrono::milliseconds kIdleSlice{250};

constexpr std::array<const char*, 5> kStateNames{"connecting", "waiting for the start speed",
                                                 "recording", "link lost", "write failed"};

nanoseconds fromSeconds(double seconds) {
    return std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double>(seconds));
}

double toSeconds(nanoseconds time) {
    return std::chrono::duration<double>(time).count();
}

}  // namespace

Logger::Logger(const LoggerOptions& options, const LoggerPlatform& platform,
               std::int16_t portNumber, QString folder, const AlarmLimits& alarmLimits)
    : options_(options),
      platform_(platform),
      portNumber_(portNumber),
      folder_(std::move(folder)),
      portName_(options.device.isEmpty() ? PortNames::displayName(portNumber) : options.device),
      boxes_(platform.console),
      names_(platform.settings),
      link_(platform.port, platform.clock, platform.pump, boxes_, names_, portNumber_),
      session_(link_, shared_),
      reads_(link_, shared_, [this] { session_.close(); }),
      polling_(link_, shared_, reads_, [this] { session_.close(); }),
      lineEvents_(platform.port, boxes_, shared_),
      trigger_({options.startRpm, options.stopValue(), options.stopAfter}),
      preTrigger_(toSeconds(options.preTrigger)),
      recent_(kBacklogSeconds, kBacklogRowsLimit),
      file_(options.syncEvery),
      disk_(folder_, options.keptFree(), options.maxTotal) {
    if (!options.device.isEmpty()) {
        link_.setPortLabel(options.device);
    }
    polling_.samples().addCheck([this](const Sample& sample) { checkSample(sample); });
    polling_.samples().addConsumer([this](const Sample& sample) { onRow(recordingRow(sample)); });
    alarms_.setLimits(alarmLimits);
    alarms_.addListener([this](const AlarmEvent& event) {
        platform_.console.warning(QStringLiteral("Alarm: %1").arg(event.text()));
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
    if (platform_.service != nullptr) {
        platform_.service->ready(statusText());
    }
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
    if (platform_.service != nullptr) {
        platform_.service->stopping();
    }
    if (writeBlocked_) {
        reportLost(recent_.unwrittenAsLost(), QStringLiteral("could not be written"));
    }
    endFile();
    platform_.console.status(statusText());
    platform_.console.finish();
}

bool Logger::bringLinkUp() {
    boxes_.setQuiet(phase_ == LoggerState::LinkLost);
    if (const QString problem = openPort(); !problem.isEmpty()) {
        linkDown(problem);
        return false;
    }
    if (phase_ == LoggerState::LinkLost) {
        // One resynchronisation a retry while the module is away: the five of an opening would
        // keep the events (a stop, a marker) waiting five seconds at every retry.
        resync(link_);
    }
    if (phase_ != LoggerState::LinkLost || link_.linkUp) {
        session_.open();
        if (link_.linkUp) {
            return true;
        }
    }
    session_.close();
    // Said once: the device may be back while the module still does not answer.
    linkDown(linkEverUp_ ? QStringLiteral("Link to the module lost")
                         : QStringLiteral("No link to the module on %1").arg(portName_));
    return false;
}

QString Logger::openPort() {
    SerialPort& port = platform_.port;
    if (port.isOpen()) {
        return {};
    }
    // Opened here rather than by the link's first exchange: a device that is not there, is
    // busy or is forbidden fails once, with its reason, instead of at every step of five
    // resynchronisations.
    try {
        const QString device = names_.device(portNumber_);
        if (!QFileInfo::exists(device)) {
            return QStringLiteral("No device %1 (unplugged?); waiting for it").arg(device);
        }
        port.setPort(portName_, device);
        port.open();
        return {};
    } catch (const RaisedError& error) {
        return error.record().description;
    }
}

void Logger::sample() {
    polling_.pollOnce();
    if (!shared_.panelActive) {
        linkDown(QStringLiteral("Link to the module lost"));
    }
    housekeeping();
}

void Logger::linkDown(const QString& reason) {
    if (reason == downReason_) {
        return;
    }
    downReason_ = reason;
    if (phase_ != LoggerState::LinkLost) {
        // Back on the link, a value still past its limit alarms again.
        alarms_.reset();
        // What is written so far reaches the disk now, not after the module is back.
        file_.syncSoon();
    }
    platform_.console.warning(QStringLiteral("%1; retrying every 2 s.").arg(reason));
    boxes_.setQuiet(true);
    setState(LoggerState::LinkLost);
    // A marker asked for during the sample that found the link gone has no sample to go on.
    for (; !pendingMarkers_.empty(); pendingMarkers_.pop_front()) {
        markWhileLinkDown(pendingMarkers_.front(), platform_.clock.now());
    }
}

void Logger::checkSample(const Sample& sample) {
    boxes_.startSample();
    if (linkDownPhase()) {
        const QString line = linkEverUp_
                                 ? QStringLiteral("Link back to the module: %1, firmware \"%2\".")
                                 : QStringLiteral("Connected to the module: %1, firmware \"%2\".");
        platform_.console.event(line.arg(shared_.modelName, shared_.firmwareId),
                                linkEverUp_ ? EventPriority::Notice : EventPriority::Info);
        linkEverUp_ = true;
        downReason_.clear();
        boxes_.setQuiet(false);
        setState(LoggerState::Waiting);
    }
    // The user's markers asked for since the sample before go on this one, before the alarms'.
    for (; !pendingMarkers_.empty(); pendingMarkers_.pop_front()) {
        polling_.samples().addMarker(MarkerKind::User, pendingMarkers_.front());
    }
    if (!alarms_.limits().empty()) {
        alarms_.check(sample.values, modelTraits(shared_.modelName).showsRetard,
                      QDateTime::currentDateTime());
    }
}

void Logger::onRow(const RecordingRow& row) {
    ++samples_;
    lastRpm_ = row.value(Quantity::EngineSpeed);
    lastRowTime_ = fromSeconds(row.seconds);
    take(row, true);
}

Logger::Activity Logger::activity() const {
    return {QString::fromLatin1(kStateNames.at(static_cast<std::size_t>(phase_))),
            shared_.modelName, file_.hasHeader() ? QFileInfo(file_.path()).fileName() : QString(),
            file_.rows(), samplesPerSecond_, !linkDownPhase()};
}

void Logger::take(const RecordingRow& row, bool sampled) {
    TriggerChange change =
        sampled ? trigger_.feed(fromSeconds(row.seconds), row.value(Quantity::EngineSpeed))
                : TriggerChange::None;
    if (change != TriggerChange::None) {
        endFile();
    }
    if (!trigger_.recording() && !row.markers.empty()) {
        // A marker is never lost: it starts a file, as the start speed would.
        trigger_.startNow();
        change = TriggerChange::Start;
    }
    if (change == TriggerChange::Start) {
        for (const RecordingRow& before : preTrigger_.take(row.seconds)) {
            recent_.add(before);
        }
    }
    if (!trigger_.recording()) {
        preTrigger_.hold(row);
    } else {
        recent_.add(row);
        writeRows();
        if (!row.markers.empty() && writeBlocked_) {
            platform_.console.warning(
                QStringLiteral("Marker at %1 is held until writing works again.").arg(row.clock));
        }
    }
    // A marker's row of its own comes while the link is down, which stays the state.
    if (sampled) {
        setState(!trigger_.recording() ? LoggerState::Waiting
                 : writeBlocked_       ? LoggerState::WriteFailed
                                       : LoggerState::Recording);
    }
}

void Logger::addMarker(const QString& text, std::optional<nanoseconds> askedAt) {
    if (linkDownPhase()) {
        markWhileLinkDown(markerText(text), askedAt.value_or(platform_.clock.now()));
        return;
    }
    pendingMarkers_.push_back(markerText(text));
}

void Logger::markWhileLinkDown(const QString& text, nanoseconds askedAt) {
    // No sample will come soon to carry it: the marker is a row of its own, at the moment it was
    // asked for, with no values.
    const nanoseconds now = platform_.clock.now();
    const nanoseconds ago = std::clamp(now - askedAt, nanoseconds::zero(), now);
    RecordingRow row;
    row.seconds = toSeconds(now - ago);
    row.clock = clockText(QDateTime::currentDateTime().addMSecs(
        -std::chrono::duration_cast<std::chrono::milliseconds>(ago).count()));
    row.status = linkEverUp_ ? QStringLiteral("Link to the module lost")
                             : QStringLiteral("No link to the module");
    row.markers.push_back(RecordingMarker{0, text, MarkerKind::User});
    lastRowTime_ = std::max(lastRowTime_.value_or(nanoseconds::zero()), now - ago);
    take(row, false);
}

void Logger::writeRows() {
    if (writeBlocked_ && platform_.clock.now() < nextWriteTry_) {
        return;
    }
    const bool opening = !file_.hasHeader();
    if (opening) {
        for (const QString& line : disk_.makeRoom(QString())) {
            platform_.console.event(line, EventPriority::Notice);
        }
    }
    if (const QString error = file_.ready(folder_, shared_.modelName); !error.isEmpty()) {
        writeFailed(error);
        return;
    }
    if (opening) {
        lastBeforeFile_ = recent_.written();
        platform_.console.event(QStringLiteral("Recording to %1").arg(file_.path()));
    }
    for (const RecordingRow& row : recent_.unwritten()) {
        if (const QString error = file_.write(row); !error.isEmpty()) {
            writeFailed(error);
            return;
        }
        recent_.markWritten(row.seconds);
        for (const RecordingMarker& marker : file_.lastMarkers()) {
            platform_.console.event(QStringLiteral("Marker %1 at %2 in %3")
                                        .arg(markerCellText(marker), row.clock, file_.path()),
                                    EventPriority::Notice);
        }
    }
    if (writeBlocked_) {
        writeBlocked_ = false;
        platform_.console.event(QStringLiteral("Writing works again."), EventPriority::Notice);
        reportLost(recent_.takeLost(), QStringLiteral("were lost while writing failed"));
    }
}

void Logger::reportLost(const LostRows& lost, const QString& how) {
    if (!lost.any()) {
        return;
    }
    platform_.console.warning(
        QStringLiteral("%1 rows, from %2 to %3, %4.").arg(lost.rows).arg(lost.from, lost.to, how));
}

void Logger::writeFailed(const QString& error) {
    if (!writeBlocked_) {
        platform_.console.error(
            QStringLiteral("Cannot write the recording %1; polling goes on, and recording goes on "
                           "in a new file when writing works again.")
                .arg(error));
    }
    writeBlocked_ = true;
    nextWriteTry_ = platform_.clock.now() + kWriteRetryPeriod;
    // Rows queued after the last one the file took go into the next file, from the backlog.
    if (file_.hasHeader()) {
        const std::optional<double> inFile = file_.lastWritten();
        recent_.rewind(inFile ? inFile : lastBeforeFile_);
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

void Logger::fileRemoved() {
    const QString path = file_.path();
    file_.close();
    dropReported_ = false;
    // Its rows went with it; the next file starts with the next sample.
    recent_.skipUnwritten();
    platform_.console.warning(
        QStringLiteral("The recording %1 was removed while it was written; recording goes on in "
                       "a new file.")
            .arg(path));
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
    if (platform_.service != nullptr) {
        platform_.service->status(statusText());
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
        // The new file starts with the next sample: nothing of the old one is written again.
        endFile();
        trigger_.restart();
        if (phase_ == LoggerState::Recording || phase_ == LoggerState::WriteFailed) {
            setState(LoggerState::Waiting);
        }
    }
    if (const QString error = file_.failure(); !error.isEmpty()) {
        writeFailed(error);
    }
    if (!dropReported_ && file_.dropped() > 0) {
        platform_.console.warning(
            QStringLiteral("The disk does not keep up: rows are being left out of %1.")
                .arg(file_.path()));
        dropReported_ = true;
    }
    const auto now = platform_.clock.now();
    if (phase_ == LoggerState::LinkLost && lastRowTime_ &&
        trigger_.silence(*lastRowTime_, now) == TriggerChange::Stop) {
        // Time without samples counts as time below the stop value: a key-off ends the file.
        endFile();
    }
    checkFileAndDisk(now);
    if (platform_.service != nullptr && platform_.service->watchdogPeriod() &&
        now - lastAlive_ >= *platform_.service->watchdogPeriod()) {
        lastAlive_ = now;
        platform_.service->alive();
    }
    if (now - lastStatus_ < kStatusPeriod) {
        return;
    }
    samplesPerSecond_ = double(samples_ - samplesAtLastStatus_) / toSeconds(now - lastStatus_);
    samplesAtLastStatus_ = samples_;
    lastStatus_ = now;
    if (platform_.console.statusOnTerminal() || now - lastStatusLine_ >= kStatusLinePeriod) {
        lastStatusLine_ = now;
        platform_.console.status(statusText());
    }
}

void Logger::checkFileAndDisk(nanoseconds now) {
    if (now < nextFileCheck_) {
        return;
    }
    nextFileCheck_ = now + kFileCheckPeriod;
    if (file_.hasHeader() && !QFileInfo::exists(file_.path())) {
        fileRemoved();
    }
    for (const QString& line : disk_.makeRoom(file_.isOpen() ? file_.path() : QString())) {
        platform_.console.event(line, EventPriority::Notice);
    }
}

QString Logger::statusText() const {
    const QString file = file_.hasHeader()
                             ? QStringLiteral("file %1").arg(QFileInfo(file_.path()).fileName())
                             : QStringLiteral("no file");
    const QString rpm = lastRpm_ ? QString::number(double(*lastRpm_), 'f', 0) : QStringLiteral("-");
    return QStringLiteral("%1; %2; %3 rows; %4 samples/s; %5 rpm")
        .arg(QString::fromLatin1(kStateNames.at(static_cast<std::size_t>(phase_))), file)
        .arg(file_.rows())
        .arg(samplesPerSecond_, 0, 'f', 1)
        .arg(rpm);
}

}  // namespace quillmark
