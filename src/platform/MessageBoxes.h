// Modal message boxes with the classic style codes and button results.
#pragma once

#include <QString>

namespace quillmark {

// The box's buttons and icon, by the classic style codes.
enum class BoxStyle : int {
    AbortRetryIgnoreCritical = 18,  // button set 2 + critical icon 16
    RetryCancelCritical = 21,       // button set 5 + critical icon 16
    OkExclamation = 48,
    OkInformation = 64,
};

// The button the user chose, by the classic answer codes.
enum class BoxAnswer : int {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally (pending window events keep running) and returns the answer.
    virtual BoxAnswer show(const QString& text, BoxStyle style, const QString& title) = 0;
};

}  // namespace quillmark
