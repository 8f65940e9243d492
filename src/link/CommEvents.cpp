#include "link/CommEvents.h"

#include "link/SharedState.h"
#include "platform/ErrorRecord.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPort.h"
#include "trap/ErrorTrap.h"

#include <array>
#include <limits>

namespace quillmark {

namespace {

enum class WhileActive { Ignore, CloseSilently, Report };

struct LineError {
    int code;
    const char* description;
    WhileActive whileActive;
};

constexpr std::array<LineError, 5> kLineErrors = {{
    {comm_event::kFraming, "Framing Error", WhileActive::Ignore},
    {comm_event::kOverrun, "Port Hardware Overrun", WhileActive::CloseSilently},
    {comm_event::kRxOverflow, "Receive Buffer Overflow", WhileActive::CloseSilently},
    {comm_event::kRxParity, "Parity Error", WhileActive::Ignore},
    {comm_event::kDeviceControlBlock, "Device Control Block Error", WhileActive::Report},
}};

const LineError* findLineError(int code) {
    for (const auto& error : kLineErrors) {
        if (error.code == code) {
            return &error;
        }
    }
    return nullptr;
}

}  // namespace

QString lineErrorDescription(int code) {
    const LineError* error = findLineError(code);
    return error ? QString::fromLatin1(error->description) : QString();
}

CommEvents::CommEvents(SerialPort& port, MessageBoxes& boxes, SharedState& state)
    : port_(port), boxes_(boxes), state_(state) {}

void CommEvents::closeIfOpen() {
    if (port_.isOpen()) {
        port_.close();
    }
}

void CommEvents::handleLineEvent() {
    try {
        const LineError* error = findLineError(static_cast<std::int16_t>(port_.lastEvent()));
        if (error == nullptr) {
            return;  // the receive event and every other code
        }
        if (state_.RealTimeActive) {
            switch (error->whileActive) {
                case WhileActive::Ignore:
                    return;
                case WhileActive::CloseSilently:
                    closeIfOpen();
                    return;
                case WhileActive::Report:
                    break;
            }
        }
        throw RaisedError::comm(QString::fromLatin1(error->description));
    } catch (const RaisedError& raised) {
        report(raised.record().description);
    }
}

void CommEvents::report(const QString& description) {
    // Counts up to the largest 16-bit value and stays there rather than wrapping negative,
    // which would stop the port from being closed on repeated errors.
    if (state_.CommErrorCount < std::numeric_limits<std::int16_t>::max()) {
        ++state_.CommErrorCount;
    }
    // From here on a failing port operation is not reported again: the user is already being
    // told about this event, and a second box for the same line would only confuse.
    bestEffort([this] {
        if (state_.CommErrorCount > 2) {
            closeIfOpen();
        }
    });
    const int answer = boxes_.show(description, msg_style::kRetryCancelCritical,
                                   QStringLiteral("Communications Error"));
    bestEffort([this, answer] {
        if (answer == msg_answer::kRetry) {
            if (port_.isOpen()) {
                port_.discardInput();
            }
        } else {
            closeIfOpen();
        }
    });
}

}  // namespace quillmark
