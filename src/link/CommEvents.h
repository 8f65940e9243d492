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

    // The port raised its event: a line error is reported or dealt with here.
    void onLineEvent();

private:
    void report(const QString& description);
    void closeIfOpen();

    SerialPort& port_;
    MessageBoxes& boxes_;
    SharedState& state_;
};

}  // namespace quillmark
