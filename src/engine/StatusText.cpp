#include "engine/StatusText.h"

#include <QStringList>

#include <array>

namespace quillmark {

namespace {

struct StatusLine {
    int mask;
    const char* whenSet;
    const char* whenClear;  // nullptr: no line
};

// Running needs both bits 1 and 2; bits 0, 3, 6 and 7 are not shown.
constexpr std::array<StatusLine, 3> kStatusLines = {{
    {0x06, "Engine Running", "Engine Off"},
    {0x10, "Basic Mode", "Advanced Mode"},
    {0x20, "Swap Mode", nullptr},
}};

}  // namespace

QString statusText(std::int16_t status) {
    QStringList lines;
    for (const auto& line : kStatusLines) {
        const char* text = (status & line.mask) == line.mask ? line.whenSet : line.whenClear;
        if (text != nullptr) {
            lines.append(QString::fromLatin1(text));
        }
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace quillmark
