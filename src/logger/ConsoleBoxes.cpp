#include "logger/ConsoleBoxes.h"

#include "logger/Console.h"

namespace quillmark {

BoxAnswer unattendedAnswer(BoxStyle style) {
    switch (style) {
        case BoxStyle::AbortRetryIgnoreCritical:
            return BoxAnswer::Ignore;
        case BoxStyle::RetryCancelCritical:
            return BoxAnswer::Retry;
        default:
            return BoxAnswer::Ok;
    }
}

BoxAnswer ConsoleBoxes::show(const QString& text, BoxStyle style, const QString& /*title*/) {
    if (!quiet_ && !shownThisSample_.contains(text)) {
        shownThisSample_.insert(text);
        console_.warning(text);
    }
    return unattendedAnswer(style);
}

}  // namespace quillmark
