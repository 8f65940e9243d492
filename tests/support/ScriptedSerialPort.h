// A serial port whose module answers from a script, on the fake clock: answers arrive after
// the delay the script gives, and every operation can be made to fail.
#pragma once

#include "FakeTime.h"
#include "platform/ErrorRecord.h"
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <functional>
#include <map>

namespace quillmark::test {

struct ScriptedAnswer {
    QByteArray bytes;
    std::chrono::nanoseconds delay{300us};
};

class ScriptedSerialPort final : public SerialPort {
public:
    ScriptedSerialPort(FakeClock& clock, FakeEventPump& pump) : clock_(clock), pump_(pump) {
        pump_.nextWake = [this] { return nextArrival(); };
    }

    // How the module answers a command; no entry means silence.
    std::function<std::optional<ScriptedAnswer>(std::uint8_t command)> module;
    // Operations named here fail with this description ("open", "write", "count", "read",
    // "discard", "close", "setPort", "wait"); the count says how many times (-1: always).
    std::map<QString, int> failures;
    QString failureText = QStringLiteral("Com1: device unplugged");

    // What happened on the line.
    QByteArray written;
    QList<int> openedPorts;
    int closes = 0;
    int discards = 0;
    int selectedPort = 0;
    QString selectedDevice;
    LineSettings applied;
    bool settingsApplied = false;

    // Delivers an event through the event loop, as the real port does.
    void raiseEvent(LineEvent code) {
        pump_.post([this, code] {
            lastEvent_ = code;
            if (handler_) {
                handler_();
            }
        });
    }
    // Bytes that arrive unasked at `delay` from now.
    void arrive(const QByteArray& bytes, std::chrono::nanoseconds delay = 0ns) {
        for (char byte : bytes) {
            incoming_.push_back({clock_.time + delay, static_cast<std::uint8_t>(byte)});
        }
    }
    int unreadArrived() const { return arrivedCount(); }

    bool isOpen() const override { return open_; }
    void setPort(const QString& name, const QString& device) override {
        fail("setPort");
        // Kept as the number of "ComN", the way the tests name ports.
        selectedPort = name.mid(3).toInt();
        selectedDevice = device;
    }
    void open() override {
        fail("open");
        open_ = true;
        openedPorts.append(selectedPort);
    }
    void close() override {
        fail("close");
        open_ = false;
        ++closes;
    }
    void discardInput() override {
        fail("discard");
        requireOpen();
        ++discards;
        std::erase_if(incoming_, [this](const Incoming& in) { return in.at <= clock_.time; });
    }
    int waitingCount() override {
        fail("count");
        requireOpen();
        return arrivedCount();
    }
    void write(const QByteArray& bytes) override {
        fail("write");
        requireOpen();
        written.append(bytes);
        for (char byte : bytes) {
            if (!module) {
                continue;
            }
            if (const auto answer = module(static_cast<std::uint8_t>(byte))) {
                arrive(answer->bytes, answer->delay);
            }
        }
    }
    std::uint8_t readOne() override {
        fail("read");
        requireOpen();
        for (auto it = incoming_.begin(); it != incoming_.end(); ++it) {
            if (it->at <= clock_.time) {
                const std::uint8_t byte = it->byte;
                incoming_.erase(it);
                return byte;
            }
        }
        throw RaisedError::platform(QStringLiteral("Serial"), QStringLiteral("Com1: no input"));
    }
    LineEvent lastEvent() const override { return lastEvent_; }
    void applySettings(const LineSettings& settings) override {
        fail("settings");
        applied = settings;
        settingsApplied = true;
    }
    void waitForInput(std::chrono::nanoseconds timeout) override {
        fail("wait");
        ++blockingWaits;
        auto until = clock_.time + timeout;
        if (const auto next = nextArrival(); next && *next < until) {
            until = *next;
        }
        clock_.time = std::max(until, clock_.time + 1ns);
    }
    void setEventHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    QString otherHolders() const override { return holders; }
    // What otherHolders() reports.
    QString holders;

    int blockingWaits = 0;

private:
    struct Incoming {
        std::chrono::nanoseconds at;
        std::uint8_t byte;
    };

    void fail(const QString& operation) {
        auto it = failures.find(operation);
        if (it == failures.end() || it->second == 0) {
            return;
        }
        if (it->second > 0) {
            --it->second;
        }
        throw RaisedError::platform(QStringLiteral("Serial"), failureText);
    }
    void requireOpen() const {
        if (!open_) {
            throw RaisedError::platform(QStringLiteral("Serial"),
                                        QStringLiteral("Com1 is not open"));
        }
    }
    int arrivedCount() const {
        int count = 0;
        for (const auto& in : incoming_) {
            count += in.at <= clock_.time ? 1 : 0;
        }
        return count;
    }
    std::optional<std::chrono::nanoseconds> nextArrival() const {
        std::optional<std::chrono::nanoseconds> next;
        for (const auto& in : incoming_) {
            if (in.at > clock_.time && (!next || in.at < *next)) {
                next = in.at;
            }
        }
        return next;
    }

    FakeClock& clock_;
    FakeEventPump& pump_;
    std::deque<Incoming> incoming_;
    bool open_ = false;
    LineEvent lastEvent_{};
    std::function<void()> handler_;
};

}  // namespace quillmark::test
