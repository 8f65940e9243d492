#include "link/ModuleLink.h"

#include "platform/Clock.h"
#include "platform/ErrorRecord.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <algorithm>
#include <limits>

namespace quillmark {

ModuleLink::ModuleLink(SerialPort& port, Clock& clock, EventPump& pump, MessageBoxes& boxes,
                       const std::int16_t& portNumber)
    : port_(port), clock_(clock), pump_(pump), boxes_(boxes), portNumber_(portNumber) {}

void ModuleLink::closeIfOpen() {
    if (port_.isOpen()) {
        port_.close();
    }
}

std::chrono::nanoseconds ModuleLink::deadlineFromNow() const {
    return clock_.now() + kAnswerDeadline;
}

bool ModuleLink::pastDeadline(std::chrono::nanoseconds deadline) const {
    return clock_.now() > deadline;
}

void ModuleLink::DelayTimer(std::int32_t delayMs) {
    const std::int64_t micros = std::int64_t{delayMs} * 1000;
    if (micros > std::numeric_limits<std::int32_t>::max() ||
        micros < std::numeric_limits<std::int32_t>::min()) {
        throw RaisedError::platform(QStringLiteral("DelayTimer"), QStringLiteral("Overflow"));
    }
    const auto start = clock_.now();
    const auto length = std::chrono::microseconds(micros);
    pump_.yield();
    for (auto elapsed = clock_.now() - start; elapsed < length; elapsed = clock_.now() - start) {
        pump_.waitForEvents(length - elapsed);
    }
}

void ModuleLink::appendOpenIfClosed(std::vector<Step>& steps) {
    steps.push_back({[this] {
        if (!port_.isOpen()) {
            port_.setPort(portNumber_);
        }
        return Flow::Next;
    }});
    steps.push_back({[this] {
        if (!port_.isOpen()) {
            port_.open();
        }
        return Flow::Next;
    }});
}

void ModuleLink::appendCountedExchange(std::vector<Step>& steps, ErrorTrap& trap,
                                       CountedExchange& exchange, ShortAnswer onShortAnswer,
                                       const QString& timeoutText) {
    steps.push_back({[this] {
        LinkOK = false;
        return Flow::Next;
    }});
    const std::size_t openStep = steps.size();
    appendOpenIfClosed(steps);
    steps.push_back({[this] {
        port_.discardInput();
        return Flow::Next;
    }});
    steps.push_back({[this, &exchange] {
        port_.write(QByteArray(1, static_cast<char>(exchange.command)));
        return Flow::Next;
    }});
    steps.push_back({[this, &exchange] {
        exchange.deadline = deadlineFromNow();
        return Flow::Next;
    }});
    // The counted wait lets no window event run: it sleeps on the port until the n-th byte is
    // there or the deadline passes. An error dialog inside it does not move the deadline: the
    // time left is taken from the clock after every dialog, and Ignore goes on waiting.
    steps.push_back({[this, &trap, &exchange] {
        exchange.complete = false;
        for (;;) {
            const auto waiting = trap.guard([this] { return port_.waitingCount(); });
            if (waiting && *waiting >= exchange.answerLength) {
                exchange.complete = true;
                break;
            }
            if (pastDeadline(exchange.deadline)) {
                break;
            }
            if (!waiting) {
                continue;  // the count was ignored; it is tested again, the deadline unchanged
            }
            trap.guard([this, &exchange] {
                port_.waitForInput(
                    std::max(exchange.deadline - clock_.now(), std::chrono::nanoseconds::zero()));
            });
        }
        return Flow::Next;
    }});
    if (onShortAnswer == ShortAnswer::EndQuietly) {
        steps.push_back({[&exchange] { return exchange.complete ? Flow::Next : Flow::Finish; }});
        return;
    }
    steps.push_back({[this, &exchange] {
        if (!exchange.complete) {
            closeIfOpen();
        }
        return Flow::Next;
    }});
    const std::size_t endOfProcedure = std::numeric_limits<std::size_t>::max();
    steps.push_back({[&exchange, timeoutText] {
                         if (!exchange.complete) {
                             throw RaisedError::comm(timeoutText);
                         }
                         return Flow::Next;
                     },
                     openStep, endOfProcedure});
}

void ModuleLink::appendReadByte(std::vector<Step>& steps, std::uint8_t* target) {
    steps.push_back({[this, target] {
        const std::uint8_t byte = port_.readOne();
        if (target != nullptr) {
            *target = byte;
        }
        return Flow::Next;
    }});
}

}  // namespace quillmark
