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
    LineEvent code;
    const char* description;
    WhileActive whileActive;
};

constexpr std::array<LineError, 5> kLineErrors = {{
    {LineEvent::Framing, "Framing Error", WhileActive::Ignore},
    {LineEvent::Overrun, "Port Hardware Overrun", WhileActive::CloseSilently},
    {LineEvent::RxOverflow, "Receive Buffer Overflow", WhileActive::CloseSilently},
    {LineEvent::RxParity, "Parity Error", WhileActive::Ignore},
    {LineEvent::DeviceControlBlock, "Device Control Block Error", WhileActive::Report},
}};

const LineError* findLineError(LineEvent code) {
    for (const auto& error : kLineErrors) {
        if (error.code == code) {
            return &error;
        }
    }
    return nullptr;
}

}  // namespace

QString lineErrorDescription(LineEvent code) {
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
        // The event arrives as the 16-bit code the port reports.
        const LineError* error =
            findLineError(LineEvent{static_cast<std::int16_t>(port_.lastEvent())});
        if (error == nullptr) {
            return;  // the receive event and every other code
        }
        if (state_.panelActive) {
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
    if (state_.commErrorCount < std::numeric_limits<std::int16_t>::max()) {
        ++state_.commErrorCount;
    }
    // From here on a failing port operation is not reported again: the user is already being
    // told about this event, and a second box for the same line would only confuse.
    bestEffort([this] {
        if (state_.commErrorCount > 2) {
            closeIfOpen();
        }
    });
    const BoxAnswer answer = boxes_.show(description, BoxStyle::RetryCancelCritical,
                                         QStringLiteral("Communications Error"));
    bestEffort([this, answer] {
        if (answer == BoxAnswer::Retry) {
            if (port_.isOpen()) {
                port_.discardInput();
            }
        } else {
            closeIfOpen();
        }
    });
}

}  // namespace quillmark
