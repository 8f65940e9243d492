// The serial line on a real port: line settings, error marking, buffering and events.
#include "platform/QtSerialPort.h"

#include "platform/DeviceHolders.h"
#include "platform/ErrorRecord.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <array>
#include <climits>
#include <set>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quillmark {

namespace {

using namespace std::chrono;

const QString kSource = QStringLiteral("Serial Port");

// A one-byte command leaves at once; a write stuck this long means the device is gone.
constexpr milliseconds kWriteTimeout{1000};
// waitingCount pulls what the driver holds; a flood cannot keep it reading for ever.
constexpr int kMaxDrainPasses = 64;

constexpr std::array<std::pair<LineParity, QSerialPort::Parity>, 5> kParities{{
    {LineParity::None, QSerialPort::NoParity},
    {LineParity::Even, QSerialPort::EvenParity},
    {LineParity::Odd, QSerialPort::OddParity},
    {LineParity::Mark, QSerialPort::MarkParity},
    {LineParity::Space, QSerialPort::SpaceParity},
}};

constexpr std::array<std::pair<LineStopBits, QSerialPort::StopBits>, 3> kStopBits{{
    {LineStopBits::One, QSerialPort::OneStop},
    {LineStopBits::OneAndHalf, QSerialPort::OneAndHalfStop},
    {LineStopBits::Two, QSerialPort::TwoStop},
}};

template <typename Table, typename Key>
auto lookup(const Table& table, Key key) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [key](const auto& entry) { return entry.first == key; });
    return found->second;
}

// Qt leaves "Unknown error" when the system gave no reason; the user deserves better.
QString reasonFrom(const QSerialPort& port) {
    QString text = port.errorString();
    if (text.isEmpty() || text == QLatin1String("Unknown error")) {
        return QStringLiteral("the system gave no reason (serial port error %1)")
            .arg(static_cast<int>(port.error()));
    }
    // A pulled USB adapter or a hung-up line shows up as a bare "Input/output error" (or a stale
    // errno text) on a read or write of an open port; say what it means at the bench.
    const QSerialPort::SerialPortError error = port.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::DeviceNotFoundError ||
        error == QSerialPort::ReadError || error == QSerialPort::WriteError) {
        return text +
               QStringLiteral("; the serial device went away: check the cable or USB adapter");
    }
    return text;
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent)
    : QObject(parent), format_(*parseLineFormat(settings_.settings)) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::takeArrivals);
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen();
}

QString QtSerialPort::deviceName() const {
    return device_;
}

QString QtSerialPort::otherHolders() const {
    return alsoOpenText(device_, otherHoldersOf(device_));
}

void QtSerialPort::fail(const QString& description) const {
    throw RaisedError::platform(kSource, description);
}

void QtSerialPort::requireOpen() const {
    if (!port_.isOpen()) {
        fail(QStringLiteral("%1 is not open").arg(portLabel()));
    }
}

std::intptr_t QtSerialPort::nativeHandle() const {
#ifdef Q_OS_WIN
    return reinterpret_cast<std::intptr_t>(port_.handle());
#else
    return port_.handle();
#endif
}

void QtSerialPort::setPort(const QString& name, const QString& device) {
    if (port_.isOpen()) {
        fail(QStringLiteral("%1 is open; close it before choosing another port").arg(portLabel()));
    }
    name_ = name;
    device_ = device;
}

void QtSerialPort::open() {
    if (port_.isOpen()) {
        fail(QStringLiteral("%1 is already open").arg(portLabel()));
    }
    ++session_;
    // Opened by the device it leads to: the lock that keeps two programs off one device is
    // named after the path opened, and a stable name such as /dev/serial/by-id/… would not
    // meet the lock of a program that opened /dev/ttyUSB0.
    const QString resolved = QFileInfo(deviceName()).canonicalFilePath();
    port_.setPortName(resolved.isEmpty() ? deviceName() : resolved);
    if (!port_.open(QIODevice::ReadWrite)) {
        failOpen();
    }
    received_.clear();
    marks_.reset();
    const QString problem = applyLine();
    if (!problem.isEmpty()) {
        // Data at a wrong speed would be garbage read as answers: the open fails, and the
        // device control block event tells the line-error handler as well.
        port_.close();
        raise(LineEvent::DeviceControlBlock);
        fail(QStringLiteral("%1: the line settings %2 could not be applied to %3: %4")
                 .arg(portLabel(), settings_.settings, deviceName(), problem));
    }
    setModemLines();
    holdExclusively(true);
    counters_.restart(counterSource_(nativeHandle()));
}

void QtSerialPort::holdExclusively(bool exclusive) {
#ifdef Q_OS_UNIX
    // Without it any program that takes no lock file could open the device after us and read
    // the answers; the flag stays on the device until taken off, so it goes before the close.
    // Best effort: a device that refuses it still serves.
    ::ioctl(static_cast<int>(nativeHandle()), exclusive ? TIOCEXCL : TIOCNXCL);
#else
    // Windows never lets a second program open an open port.
    (void)exclusive;
#endif
}

void QtSerialPort::failOpen() {
    const QString device = deviceName();
    const QSerialPort::SerialPortError error = port_.error();
    const QString reason = reasonFrom(port_);
    port_.clearError();
#ifndef Q_OS_WIN
    // A USB adapter plugged in again while its port was open comes back under the next free
    // name (ttyUSB1 for ttyUSB0); only its /dev/serial/by-id name stays the same.
    if (!QFileInfo::exists(device)) {
        fail(QStringLiteral("%1: no such device %2. A USB adapter plugged in again may be back "
                            "under another name: map %1 to its name under /dev/serial/by-id, "
                            "which stays the same (see Port Setup in the help).")
                 .arg(portLabel(), device));
    }
#endif
    if (error == QSerialPort::DeviceNotFoundError) {
        fail(QStringLiteral("%1: no such device %2").arg(portLabel(), device));
    }
    if (error == QSerialPort::PermissionError) {
#ifdef Q_OS_UNIX
        // Qt reports a lock file or an exclusive open by someone else as a permission error
        // too; only the device's own access rights make it one.
        const QByteArray path = QFile::encodeName(device);
        if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
            fail(QStringLiteral("%1: permission denied for %2; add yourself to the dialout group")
                     .arg(portLabel(), device));
        }
#endif
        fail(QStringLiteral("%1 is in use by another program").arg(portLabel()));
    }
    fail(QStringLiteral("%1: cannot open %2: %3").arg(portLabel(), device, reason));
}

QString QtSerialPort::applyLine() {
    const auto refused = [this](const QString& what) {
        const QString reason = reasonFrom(port_);
        port_.clearError();
        return QStringLiteral("%1 refused (%2)").arg(what, reason);
    };
    if (!port_.setBaudRate(format_.baudRate)) {
        return refused(QStringLiteral("%1 bit/s").arg(format_.baudRate));
    }
    if (!port_.setDataBits(static_cast<QSerialPort::DataBits>(format_.dataBits))) {
        return refused(QStringLiteral("%1 data bits").arg(format_.dataBits));
    }
    if (!port_.setParity(lookup(kParities, format_.parity))) {
        return refused(QStringLiteral("the parity"));
    }
#ifndef Q_OS_WIN
    // termios has no 1.5 stop bits and Qt quietly sets 1 instead; the line would look right
    // and garble every byte.
    if (format_.stopBits == LineStopBits::OneAndHalf) {
        return QStringLiteral("1.5 stop bits refused (the terminal driver has no such setting)");
    }
#endif
    if (!port_.setStopBits(lookup(kStopBits, format_.stopBits))) {
        return refused(QStringLiteral("the stop bits"));
    }
    if (!port_.setFlowControl(QSerialPort::NoFlowControl)) {
        return refused(QStringLiteral("no flow control"));
    }
    // Every Qt setter rewrites the input flags, so the marking goes back on after them.
    return keepErrorMarks();
}

QString QtSerialPort::keepErrorMarks() {
#ifdef Q_OS_UNIX
    termios line{};
    if (::tcgetattr(port_.handle(), &line) != 0) {
        return QStringLiteral("reading the line flags failed (%1)").arg(qt_error_string(errno));
    }
    // PARMRK makes the driver hand over a bad byte as 0xFF 0x00 c (and a real 0xFF doubled)
    // instead of dropping it silently; the kernel only checks bytes at all with INPCK, framing
    // errors included. ISTRIP would cut every byte to seven bits.
    line.c_iflag |= PARMRK | INPCK;
    line.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | ISTRIP);
    if (::tcsetattr(port_.handle(), TCSANOW, &line) != 0) {
        return QStringLiteral("setting the line flags failed (%1)").arg(qt_error_string(errno));
    }
#endif
    return {};
}

void QtSerialPort::setModemLines() {
    // A pseudo-terminal or a three-wire adapter has no modem lines. The module answers without
    // them, so a refusal is not a reason to give up the port.
    port_.setDataTerminalReady(settings_.dtrEnable);
    port_.setRequestToSend(settings_.rtsEnable);
    port_.clearError();
}

void QtSerialPort::close() {
    if (!port_.isOpen()) {
        return;
    }
    ++session_;
    holdExclusively(false);
    port_.close();
    port_.clearError();
    received_.clear();
    marks_.reset();
    counters_.restart(std::nullopt);
}

void QtSerialPort::discardInput() {
    // A port an event closed in the middle of a transaction must reach the transaction's
    // dialog here, not pass as an empty discard.
    requireOpen();
    port_.clear(QSerialPort::Input);
    port_.clearError();
    received_.clear();
    marks_.reset();
}

int QtSerialPort::waitingCount() {
    requireOpen();
    drainPort();
    return static_cast<int>(received_.size());
}

void QtSerialPort::write(const QByteArray& bytes) {
    requireOpen();
    if (bytes.isEmpty()) {
        return;
    }
    if (port_.write(bytes) != bytes.size()) {
        failWrite();
    }
    // The counted wait never returns to the event loop, so the command must leave here
    // rather than from Qt's write notifier.
    const auto deadline = steady_clock::now() + kWriteTimeout;
    while (port_.bytesToWrite() > 0) {
        const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0 || !port_.waitForBytesWritten(static_cast<int>(left))) {
            if (port_.bytesToWrite() == 0) {
                break;
            }
            failWrite();
        }
    }
}

void QtSerialPort::failWrite() {
    const QString reason = reasonFrom(port_);
    // A command left behind in the output buffer would go out with the next write (Retry would
    // send it twice) or later on its own, in the middle of another exchange.
    port_.clear(QSerialPort::Output);
    port_.clearError();
    fail(QStringLiteral("%1: write failed: %2").arg(portLabel(), reason));
}

std::uint8_t QtSerialPort::readOne() {
    requireOpen();
    if (received_.isEmpty()) {
        drainPort();
    }
    if (received_.isEmpty()) {
        fail(QStringLiteral("%1: no received byte to read").arg(portLabel()));
    }
    const auto byte = static_cast<std::uint8_t>(received_.front());
    received_.remove(0, 1);
    return byte;
}

void QtSerialPort::applySettings(const LineSettings& settings) {
    const auto format = parseLineFormat(settings.settings);
    if (!format || settings.inBufferSize <= 0) {
        fail(QStringLiteral("Invalid line settings \"%1\"").arg(settings.settings));
    }
    settings_ = settings;
    format_ = *format;
    if (!port_.isOpen()) {
        return;
    }
    const QString problem = applyLine();
    if (!problem.isEmpty()) {
        raise(LineEvent::DeviceControlBlock);
        fail(QStringLiteral("%1: the line settings %2 could not be applied to %3: %4")
                 .arg(portLabel(), settings_.settings, deviceName(), problem));
    }
    setModemLines();
}

void QtSerialPort::waitForInput(nanoseconds timeout) {
    requireOpen();
    const auto deadline = steady_clock::now() + timeout;
    const quint64 before = rawBytesTaken_;
    drainPort();
    while (rawBytesTaken_ == before) {
        const auto remaining = deadline - steady_clock::now();
        if (remaining <= nanoseconds::zero()) {
            return;
        }
        // Rounded up: a 0 ms wait polls and comes straight back, which would make this a spin.
        const auto ms = std::min<milliseconds::rep>(ceil<milliseconds>(remaining).count(), INT_MAX);
        if (!port_.waitForReadyRead(static_cast<int>(ms))) {
            checkReadHealth();
        }
        takeArrivals();
    }
}

void QtSerialPort::drainPort() {
    // Qt only reads the device from the event loop or a wait; the counted wait runs neither.
    for (int pass = 0; pass < kMaxDrainPasses && port_.waitForReadyRead(0); ++pass) {
    }
    checkReadHealth();
    takeArrivals();
}

void QtSerialPort::checkReadHealth() {
    const QSerialPort::SerialPortError error = port_.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        const QString reason = reasonFrom(port_);
        port_.clearError();
        fail(QStringLiteral("%1: reading %2 failed: %3").arg(portLabel(), deviceName(), reason));
    }
    port_.clearError();
}

void QtSerialPort::takeArrivals() {
    const QByteArray raw = port_.readAll();
    if (raw.isEmpty()) {
        return;
    }
    rawBytesTaken_ += static_cast<quint64>(raw.size());
    std::set<LineEvent> errors;
#ifdef Q_OS_WIN
    // Qt reads and clears the driver's error flags itself before it signals new data, so this
    // rarely finds a framing, parity or overrun error; the help tells Windows users so. Bytes
    // are not marked here: the driver's error character could not be told from a real byte.
    QByteArray data = raw;
    for (const LineEvent code : takeWindowsLineErrors(port_.handle())) {
        errors.insert(code);
    }
#else
    SerialMarks::Result unmarked = marks_.feed(raw);
    QByteArray data = std::move(unmarked.data);
    if (unmarked.markedBytes > 0) {
        // The mark does not say which check failed; on a line without parity only framing can.
        errors.insert(format_.hasParity() ? LineEvent::RxParity : LineEvent::Framing);
    }
    for (const LineEvent code : counters_.update(counterSource_(nativeHandle()))) {
        errors.insert(code);
    }
#endif
    bytesDelivered_ += static_cast<quint64>(data.size());
    if (settings_.nullDiscard) {
        data.removeIf([](char byte) { return byte == '\0'; });
    }
    received_.append(data);
    if (received_.size() > settings_.inBufferSize) {
        // The oldest bytes are the start of an answer; the excess is what the buffer never had
        // room for.
        received_.truncate(settings_.inBufferSize);
        errors.insert(LineEvent::RxOverflow);
    }
    for (const LineEvent code : errors) {
        raise(code);
    }
    if (!data.isEmpty() && settings_.rThreshold > 0 && received_.size() >= settings_.rThreshold) {
        raise(LineEvent::Receive);
    }
}

void QtSerialPort::raise(LineEvent code) {
    // Never from inside an operation: the handler may close the port or show a box, and the
    // counted wait must not be interrupted by it.
    QMetaObject::invokeMethod(
        this, [this, code, session = session_] { deliver(code, session); }, Qt::QueuedConnection);
}

void QtSerialPort::deliver(LineEvent code, quint64 session) {
    // An event from before a close belongs to a line that is gone: delivered against the
    // reopened port it would close it again or report an error the new line never had.
    if (session != session_) {
        return;
    }
    lastEvent_ = code;
    if (handler_) {
        const auto handler = handler_;  // the handler may replace itself
        handler();
    }
}

void QtSerialPort::setEventHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void QtSerialPort::setCounterSource(CounterSource source) {
    counterSource_ = std::move(source);
}

}  // namespace quillmark
