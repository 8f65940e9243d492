#include "logger/ConsoleBoxes.h"

#include "logger/Console.h"

namespace quillmark {

int unattendedAnswer(int style) {
    switch (style) {
        case msg_style::kAbortRetryIgnoreCritical:
            return msg_answer::kIgnore;
        case msg_style::kRetryCancelCritical:
            return msg_answer::kRetry;
        default:
            return msg_answer::kOk;
    }
}

int ConsoleBoxes::show(const QString& text, int style, const QString& /*title*/) {
    lastText_ = text;
    if (!quiet_) {
        console_.event(text);
    }
    return unattendedAnswer(style);
}

}  // namespace quillmark
