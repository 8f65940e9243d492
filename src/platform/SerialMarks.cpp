// Unmarking of the received byte stream.
#include "platform/SerialMarks.h"

namespace quillmark {

namespace {
constexpr char kMarkLead = '\xFF';
constexpr char kErrorFlag = '\x00';
}  // namespace

SerialMarks::Result SerialMarks::feed(const QByteArray& raw) {
    Result result;
    result.data.reserve(raw.size());
    for (const char byte : raw) {
        switch (state_) {
            case State::Plain:
                if (byte == kMarkLead) {
                    state_ = State::AfterFF;
                } else {
                    result.data.append(byte);
                }
                break;
            case State::AfterFF:
                if (byte == kMarkLead) {
                    result.data.append(kMarkLead);
                    state_ = State::Plain;
                } else if (byte == kErrorFlag) {
                    state_ = State::AfterFF00;
                } else {
                    // The driver never sends this; keep both bytes rather than lose data.
                    result.data.append(kMarkLead);
                    result.data.append(byte);
                    state_ = State::Plain;
                }
                break;
            case State::AfterFF00:
                result.data.append(byte);
                ++result.markedBytes;
                state_ = State::Plain;
                break;
        }
    }
    return result;
}

}  // namespace quillmark
