// The serial line to the engine module on a real port, through QSerialPort.
#pragma once

#include "platform/LineErrorCounters.h"
#include "platform/LineFormat.h"
#include "platform/SerialMarks.h"
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>

namespace quillmark {

class QtSerialPort final : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);

    bool isOpen() const override;
    void setPort(const QString& name, const QString& device) override;
    void open() override;
    void close() override;
    void discardInput() override;
    int waitingCount() override;
    void write(const QByteArray& bytes) override;
    std::uint8_t readOne() override;
    LineEvent lastEvent() const override { return lastEvent_; }
    void applySettings(const LineSettings& settings) override;
    void waitForInput(std::chrono::nanoseconds timeout) override;
    void setEventHandler(std::function<void()> handler) override;
    QString otherHolders() const override;

    // Where the driver's error counters come from; the real ioctl unless replaced.
    void setCounterSource(CounterSource source);
    // The device the port opens (or has open), for messages and for tests.
    QString deviceName() const;
    // Bytes the line has delivered since the port was made, before any is discarded; lets a
    // test keep step with what its simulated module sent.
    quint64 bytesDelivered() const { return bytesDelivered_; }

private:
    const QString& portLabel() const { return name_; }
    [[noreturn]] void fail(const QString& description) const;
    void requireOpen() const;
    [[noreturn]] void failOpen();
    // Empty when every setting took; otherwise what went wrong.
    QString applyLine();
    QString keepErrorMarks();
    void setModemLines();
    void holdExclusively(bool exclusive);
    void drainPort();
    void checkReadHealth();
    std::intptr_t nativeHandle() const;
    void takeArrivals();
    void raise(LineEvent code);
    void deliver(LineEvent code, quint64 session);
    [[noreturn]] void failWrite();

    QSerialPort port_;
    QString name_ = QStringLiteral("Com1");
    QString device_;
    LineSettings settings_;
    LineFormat format_;
    QByteArray received_;  // unmarked bytes not yet read, oldest first
    SerialMarks marks_;
    LineErrorCounters counters_;
    CounterSource counterSource_ = readDriverCounters;
    quint64 rawBytesTaken_ = 0;
    quint64 bytesDelivered_ = 0;
    LineEvent lastEvent_{};
    quint64 session_ = 0;  // counts opens and closes; a queued event keeps the one it came from
    std::function<void()> handler_;
};

}  // namespace quillmark
