// The serial port's line-error events: reported to the user, or dealt with silently while
// the real-time view runs.
#pragma once

#include <QString>

namespace quillmark {

class MessageBoxes;
class SerialPort;
struct SharedState;

// The description shown for a line-error code, or an empty text for codes that are ignored.
QString lineErrorDescription(int code);

class CommEvents {
public:
    CommEvents(SerialPort& port, MessageBoxes& boxes, SharedState& state);

    // The window's serial control event.
    void MSComm1_OnComm() { handleLineEvent(); }
    // Reports the port's last event when it is a line error, or deals with it silently while
    // the real-time view runs.
    void handleLineEvent();

private:
    void report(const QString& description);
    void closeIfOpen();

    SerialPort& port_;
    MessageBoxes& boxes_;
    SharedState& state_;
};

}  // namespace quillmark
