// Modal message boxes with the classic style codes and button results.
#pragma once

#include <QString>

namespace quillmark {

namespace msg_style {
inline constexpr int kAbortRetryIgnoreCritical = 18;  // button set 2 + critical icon 16
inline constexpr int kRetryCancelCritical = 21;       // button set 5 + critical icon 16
inline constexpr int kOkExclamation = 48;
inline constexpr int kOkInformation = 64;
}  // namespace msg_style

namespace msg_answer {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
}  // namespace msg_answer

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally (pending window events keep running) and returns the answer code.
    virtual int show(const QString& text, int style, const QString& title) = 0;
};

}  // namespace quillmark
