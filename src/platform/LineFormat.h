// The line format text "56000,N,8,1" taken apart into baud rate, parity, data and stop bits.
#pragma once

#include <QString>

#include <optional>

namespace quillmark {

enum class LineParity { None, Even, Odd, Mark, Space };
enum class LineStopBits { One, OneAndHalf, Two };

struct LineFormat {
    int baudRate = 56000;
    LineParity parity = LineParity::None;
    int dataBits = 8;
    LineStopBits stopBits = LineStopBits::One;

    bool hasParity() const { return parity != LineParity::None; }
};

// Empty when the text is not "baud,parity,data,stop" with a positive baud rate, parity one of
// N E O M S, 5 to 8 data bits and 1, 1.5 or 2 stop bits.
std::optional<LineFormat> parseLineFormat(const QString& text);

}  // namespace quillmark
