// Where the logger's lines go: events one line each on standard error (the journal keeps them
// with their time), the status on standard output, redrawn in place on a terminal.
#pragma once

#include <QString>

#include <cstdio>

namespace quillmark {

class Console {
public:
    Console(std::FILE* events, std::FILE* status, bool statusOnTerminal)
        : events_(events), status_(status), statusOnTerminal_(statusOnTerminal) {}

    // One line; line breaks inside the text become blanks so the journal keeps it as one entry.
    void event(const QString& text);
    // On a terminal the status line replaces the one before; elsewhere each is a line of its own.
    void status(const QString& text);
    bool statusOnTerminal() const { return statusOnTerminal_; }
    // The last status line stays, with the terminal's cursor on the next line.
    void finish();

private:
    void clearStatusLine();

    std::FILE* events_;
    std::FILE* status_;
    bool statusOnTerminal_;
    bool statusShown_ = false;
};

}  // namespace quillmark
