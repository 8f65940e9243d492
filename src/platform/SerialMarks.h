// Undoes the driver's error marking of received bytes (0xFF 0x00 c for a bad byte c, 0xFF 0xFF
// for a real 0xFF), keeping its place when a mark is split across two reads.
#pragma once

#include <QByteArray>

namespace quillmark {

class SerialMarks final {
public:
    struct Result {
        QByteArray data;      // the bytes as they were sent, each real 0xFF once
        int markedBytes = 0;  // bytes the driver received with a framing or parity error
    };

    // A bad byte is kept in the data: the caller counts the answer's length, and dropping the
    // byte would turn one line error into a timeout as well.
    Result feed(const QByteArray& raw);
    // True while the start of a mark waits for the rest of it.
    bool holdsPartialMark() const { return state_ != State::Plain; }
    void reset() { state_ = State::Plain; }

private:
    enum class State { Plain, AfterFF, AfterFF00 };
    State state_ = State::Plain;
};

}  // namespace quillmark
