#include "logger/Console.h"

#include <QDateTime>

namespace quillmark {

Console::Console(std::FILE* events, std::FILE* status, bool statusOnTerminal, EventStamp stamp)
    : events_(events), status_(status), statusOnTerminal_(statusOnTerminal), stamp_(stamp) {}

void Console::event(const QString& text, EventPriority priority) {
    clearStatusLine();
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    line = line.trimmed();
    const QString stamp =
        stamp_ == EventStamp::Priority
            ? QStringLiteral("<%1>").arg(static_cast<int>(priority))
            : QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss "));
    std::fprintf(events_, "%s%s\n", qPrintable(stamp), qPrintable(line));
    std::fflush(events_);
}

void Console::status(const QString& text) {
    if (statusOnTerminal_) {
        // Back to the start of the line, the new text, the rest of the old one erased.
        std::fprintf(status_, "\r%s\x1b[K", qPrintable(text));
        statusShown_ = true;
    } else {
        std::fprintf(status_, "%s\n", qPrintable(text));
    }
    std::fflush(status_);
}

void Console::finish() {
    if (statusShown_) {
        std::fputs("\n", status_);
        std::fflush(status_);
        statusShown_ = false;
    }
}

void Console::clearStatusLine() {
    if (statusShown_) {
        std::fputs("\r\x1b[K", status_);
        std::fflush(status_);
        statusShown_ = false;
    }
}

}  // namespace quillmark
