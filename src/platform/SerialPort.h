// The serial line to the engine module, as the link logic sees it.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace quillmark {

// Line settings, applied while the port is closed; the defaults are the classic control's.
struct LineSettings {
    QString settings = QStringLiteral("9600,N,8,1");
    bool nullDiscard = false;  // false: received zero bytes are read like any other byte
    int rThreshold = 0;        // received bytes per receive event; 0 raises none
    int inputLen = 0;          // bytes one read takes; 0 takes all
    bool dtrEnable = false;    // DTR raised while open
    bool rtsEnable = false;    // RTS raised while open
    int inBufferSize = 1024;   // receive buffer size in bytes
};

// Events the port raises, by the classic serial-control codes; a code not listed here passes
// through as its number.
enum class LineEvent : int {
    Receive = 2,
    Framing = 1004,
    Overrun = 1006,
    RxOverflow = 1008,
    RxParity = 1009,
    DeviceControlBlock = 1011,
};

// Every operation that can fail throws RaisedError with a description naming the port
// and the reason, for example "Com7: no such device /dev/ttyS6".
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool isOpen() const = 0;
    // Selects the device the next open uses, and the name the user knows it by ("Com7"), which
    // the port's messages start with. Only while closed.
    virtual void setPort(const QString& name, const QString& device) = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    // Drops every received byte not yet read, including what the driver still queues. Like
    // every other operation but close, it fails on a closed port.
    virtual void discardInput() = 0;
    // Received bytes a read can take now.
    virtual int waitingCount() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Takes the oldest received byte.
    virtual std::uint8_t readOne() = 0;
    // Code of the event being delivered to the event handler.
    virtual LineEvent lastEvent() const = 0;
    virtual void applySettings(const LineSettings& settings) = 0;

    // Blocks until more input arrives or the timeout passes. Runs no window events and does
    // not spin: the counted wait of a transaction sleeps here.
    virtual void waitForInput(std::chrono::nanoseconds timeout) = 0;

    // The handler runs through the event loop (never inside waitForInput) for every event;
    // it reads the code with lastEvent().
    virtual void setEventHandler(std::function<void()> handler) = 0;

    // Names the other programs that have the selected device open too, and would take the
    // module's answers ("/dev/ttyUSB0 is also open in ModemManager (pid 812)"); empty when
    // there are none, or none this user can see.
    virtual QString otherHolders() const = 0;
};

}  // namespace quillmark
