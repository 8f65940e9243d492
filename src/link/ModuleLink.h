// The building blocks of every conversation with the engine module: opening the port on
// demand, the command, the one-second deadline, the counted wait, the 2 ms pause and linkUp.
#pragma once

#include "link/LinkActivity.h"
#include "trap/ErrorTrap.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillmark {

class Clock;
class EventPump;
class MessageBoxes;
class PortNames;
class SerialPort;

inline constexpr std::chrono::seconds kAnswerDeadline{1};
inline constexpr int kPauseAfterAnswerMs = 2;
// What a timeout says where Abort is the only way on (the identifier, a value read).
inline constexpr const char* kTimeoutClickAbort = "RS-232 timeout. Check cable and click Abort.";

// One command/answer exchange whose answer is recognised by its length.
struct CountedExchange {
    std::uint8_t command = 0;
    int answerLength = 0;
    std::chrono::nanoseconds deadline{};
    bool complete = false;
    std::chrono::nanoseconds answeredAt{};  // when the counted wait saw the whole answer
};

class ModuleLink {
public:
    // `names` finds the device behind `portNumber` each time the port opens.
    ModuleLink(SerialPort& port, Clock& clock, EventPump& pump, MessageBoxes& boxes,
               const PortNames& names, const std::int16_t& portNumber);

    SerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    EventPump& pump() { return pump_; }
    MessageBoxes& boxes() { return boxes_; }
    LinkActivity& activity() { return activity_; }

    // False at the start of every transaction, True at its successful end.
    bool linkUp = false;

    // The name the port's messages give it; empty: "ComN". A program given a device path
    // names the port by that path.
    void setPortLabel(const QString& label) { portLabel_ = label; }

    void closeIfOpen();
    // For closing steps: a port that fails to close is not reported again.
    void closeQuietly() {
        bestEffort([this] { closeIfOpen(); });
    }
    // `text`, followed by the names of the other programs that have the port's device open and
    // take the module's answers, if there are any: the cable is not to blame then.
    QString namingOtherHolders(const QString& text) const;
    std::chrono::nanoseconds deadlineFromNow() const;
    bool pastDeadline(std::chrono::nanoseconds deadline) const;

    // A pause of at least delayMs that keeps the window responsive: it yields at least once
    // and sleeps in the event loop until the time is up. Throws on an overflowing delay.
    void delay(std::int32_t delayMs);
    // The 2 ms the module gets before the next command, counted from the moment its answer
    // was whole: the time spent taking the answer apart is part of the pause, not added to it
    // on every exchange. Yields at least once, as delay() does.
    void pauseAfterAnswer(const CountedExchange& exchange);

    // What a counted transaction does when the answer is short or missing.
    enum class ShortAnswer {
        EndQuietly,            // linkUp stays False, the port stays open, nothing is shown
        CloseAndRaiseTimeout,  // close the port, raise the timeout error
    };
    // Appends the shared steps up to and including the timeout decision: linkUp False, open on
    // demand, discard, write, deadline, counted wait. Retry after the timeout sends the command
    // again from opening the port with a fresh deadline; Ignore ends the procedure.
    void appendCountedExchange(std::vector<Step>& steps, ErrorTrap& trap, CountedExchange& exchange,
                               ShortAnswer onShortAnswer, const QString& timeoutText);
    // Appends a step that reads one answer byte into `target` (nullptr: read and not examined).
    void appendReadByte(std::vector<Step>& steps, std::uint8_t* target);

    // The label of the first step of opening the port on demand; Retry after a timeout
    // starts again from there.
    static constexpr std::string_view kOpenStep = "open";

    // Open on demand with PortNumber: set the port, then open it (two steps of their own).
    void appendOpenIfClosed(std::vector<Step>& steps);

    // The opening every transaction shares: linkUp False, open on demand, discard what
    // waits, write the command, start the deadline.
    void appendOpening(std::vector<Step>& steps, std::uint8_t command,
                       std::chrono::nanoseconds& deadline);
    // Without an answer in time: close the port, then raise the timeout. Retry sends the
    // command again from opening the port with a fresh deadline; Ignore ends the procedure.
    void appendTimeoutCheck(std::vector<Step>& steps, const bool& answered,
                            const QString& timeoutText);

private:
    void waitUntil(std::chrono::nanoseconds end);

    SerialPort& port_;
    Clock& clock_;
    EventPump& pump_;
    MessageBoxes& boxes_;
    const PortNames& names_;
    const std::int16_t& portNumber_;
    QString portLabel_;
    LinkActivity activity_;
};

}  // namespace quillmark
