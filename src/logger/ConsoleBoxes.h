// The message boxes of a program nobody watches: the box's text goes to the console as one line
// and the answer is the one a careful user gives. Ignore for a failed read (its value stays
// empty, the sample goes on; a failed status read then counts as a lost link), Retry for a
// line error (what was received is dropped and the link carries on), OK for a notice.
#pragma once

#include "platform/MessageBoxes.h"

#include <QSet>

namespace quillmark {

class Console;

class ConsoleBoxes final : public MessageBoxes {
public:
    explicit ConsoleBoxes(Console& console) : console_(console) {}

    BoxAnswer show(const QString& text, BoxStyle style, const QString& title) override;

    // While the link is being retried the same boxes come back every attempt; they are answered
    // without a line.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // A box whose text was already written since the last call is answered without a line: a
    // failing device repeats the same text at every step of a sample.
    void startSample() { shownThisSample_.clear(); }

private:
    Console& console_;
    bool quiet_ = false;
    QSet<QString> shownThisSample_;
};

// The answer an unattended program gives to a box of `style`.
BoxAnswer unattendedAnswer(BoxStyle style);

}  // namespace quillmark
