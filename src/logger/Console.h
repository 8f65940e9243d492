// Where the logger's lines go: events one line each on standard error, the status on standard
// output, redrawn in place on a terminal. In the journal an event line carries its priority (the
// journal adds the time); elsewhere it starts with the local time.
#pragma once

#include <QString>

#include <cstdio>

namespace quillmark {

// The journal's priorities, as syslog numbers them.
enum class EventPriority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

enum class EventStamp {
    Time,      // "2026-12-08 16:30:00 " before each line
    Priority,  // "<4>" before each line, which the journal takes as the line's priority
};

class Console {
public:
    Console(std::FILE* events, std::FILE* status, bool statusOnTerminal,
            EventStamp stamp = EventStamp::Time);

    // One line; line breaks inside the text become blanks so the journal keeps it as one entry.
    void event(const QString& text, EventPriority priority = EventPriority::Info);
    void warning(const QString& text) { event(text, EventPriority::Warning); }
    void error(const QString& text) { event(text, EventPriority::Error); }
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
    EventStamp stamp_;
    bool statusShown_ = false;
};

}  // namespace quillmark
