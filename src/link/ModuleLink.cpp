#include "link/ModuleLink.h"

#include "link/PortNames.h"
#include "platform/Clock.h"
#include "platform/ErrorRecord.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <algorithm>
#include <limits>

namespace quillmark {

namespace {

const QString kTakenAnswers = QStringLiteral(
    "%1\r\n\r\n%2, which takes the module's answers. Close that program, or keep it off the "
    "port as the help's Port Setup page describes.");

}  // namespace

ModuleLink::ModuleLink(SerialPort& port, Clock& clock, EventPump& pump, MessageBoxes& boxes,
                       const PortNames& names, const std::int16_t& portNumber)
    : port_(port),
      clock_(clock),
      pump_(pump),
      boxes_(boxes),
      names_(names),
      portNumber_(portNumber) {}

void ModuleLink::closeIfOpen() {
    if (port_.isOpen()) {
        port_.close();
    }
}

QString ModuleLink::namingOtherHolders(const QString& text) const {
    const QString holders = port_.otherHolders();
    return holders.isEmpty() ? text : kTakenAnswers.arg(text, holders);
}

std::chrono::nanoseconds ModuleLink::deadlineFromNow() const {
    return clock_.now() + kAnswerDeadline;
}

bool ModuleLink::pastDeadline(std::chrono::nanoseconds deadline) const {
    return clock_.now() > deadline;
}

void ModuleLink::delay(std::int32_t delayMs) {
    const std::int64_t micros = std::int64_t{delayMs} * 1000;
    if (micros > std::numeric_limits<std::int32_t>::max() ||
        micros < std::numeric_limits<std::int32_t>::min()) {
        throw RaisedError::platform(QStringLiteral("DelayTimer"), QStringLiteral("Overflow"));
    }
    waitUntil(clock_.now() + std::chrono::microseconds(micros));
}

void ModuleLink::pauseAfterAnswer(const CountedExchange& exchange) {
    waitUntil(exchange.answeredAt + std::chrono::milliseconds(kPauseAfterAnswerMs));
}

void ModuleLink::waitUntil(std::chrono::nanoseconds end) {
    pump_.yield();
    for (auto now = clock_.now(); now < end; now = clock_.now()) {
        pump_.waitForEvents(end - now);
    }
}

void ModuleLink::appendOpenIfClosed(std::vector<Step>& steps) {
    steps.push_back({.run =
                         [this] {
                             if (!port_.isOpen()) {
                                 port_.setPort(portLabel_.isEmpty()
                                                   ? PortNames::displayName(portNumber_)
                                                   : portLabel_,
                                               names_.device(portNumber_));
                             }
                             return Flow::Next;
                         },
                     .label = kOpenStep});
    steps.push_back(nextStep([this] {
        if (!port_.isOpen()) {
            port_.open();
        }
    }));
}

void ModuleLink::appendCountedExchange(std::vector<Step>& steps, ErrorTrap& trap,
                                       CountedExchange& exchange, ShortAnswer onShortAnswer,
                                       const QString& timeoutText) {
    appendOpening(steps, exchange.command, exchange.deadline);
    // The counted wait lets no window event run: it sleeps on the port until the n-th byte is
    // there or the deadline passes. An error dialog inside it does not move the deadline: the
    // time left is taken from the clock after every dialog, and Ignore goes on waiting.
    steps.push_back(nextStep([this, &trap, &exchange] {
        exchange.complete = false;
        for (;;) {
            const auto waiting = trap.guard([this] { return port_.waitingCount(); });
            if (waiting && *waiting >= exchange.answerLength) {
                exchange.complete = true;
                exchange.answeredAt = clock_.now();
                break;
            }
            if (pastDeadline(exchange.deadline)) {
                break;
            }
            // An ignored count is tested again with the deadline unchanged, but never in a spin:
            // on a closed port no byte can come before the deadline, and a port that can
            // neither count nor wait (a pulled adapter) would only raise the same error again
            // and again. Either ends the wait as a short answer.
            if (!waiting && !port_.isOpen()) {
                break;
            }
            const bool waited = trap.guard([this, &exchange] {
                port_.waitForInput(
                    std::max(exchange.deadline - clock_.now(), std::chrono::nanoseconds::zero()));
            });
            if (!waiting && !waited) {
                break;
            }
        }
    }));
    if (onShortAnswer == ShortAnswer::EndQuietly) {
        steps.push_back({[&exchange] { return exchange.complete ? Flow::Next : Flow::Finish; }});
        return;
    }
    appendTimeoutCheck(steps, exchange.complete, timeoutText);
}

void ModuleLink::appendOpening(std::vector<Step>& steps, std::uint8_t command,
                               std::chrono::nanoseconds& deadline) {
    steps.push_back(nextStep([this] { linkUp = false; }));
    appendOpenIfClosed(steps);
    steps.push_back(nextStep([this] { port_.discardInput(); }));
    steps.push_back(
        nextStep([this, command] { port_.write(QByteArray(1, static_cast<char>(command))); }));
    steps.push_back(nextStep([this, &deadline] { deadline = deadlineFromNow(); }));
}

void ModuleLink::appendTimeoutCheck(std::vector<Step>& steps, const bool& answered,
                                    const QString& timeoutText) {
    steps.push_back(nextStep([this, &answered] {
        if (!answered) {
            closeIfOpen();
        }
    }));
    steps.push_back({[this, &answered, timeoutText] {
                         if (!answered) {
                             throw RaisedError::comm(namingOtherHolders(timeoutText));
                         }
                         return Flow::Next;
                     },
                     StepTarget(kOpenStep), StepTarget::end()});
}

void ModuleLink::appendReadByte(std::vector<Step>& steps, std::uint8_t* target) {
    steps.push_back(nextStep([this, target] {
        const std::uint8_t byte = port_.readOne();
        if (target != nullptr) {
            *target = byte;
        }
    }));
}

}  // namespace quillmark
