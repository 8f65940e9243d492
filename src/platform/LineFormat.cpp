// Parsing of the line format text.
#include "platform/LineFormat.h"

#include <QStringList>

#include <array>
#include <utility>

namespace quillmark {

namespace {

constexpr std::array<std::pair<char, LineParity>, 5> kParities{{
    {'N', LineParity::None},
    {'E', LineParity::Even},
    {'O', LineParity::Odd},
    {'M', LineParity::Mark},
    {'S', LineParity::Space},
}};

std::optional<LineParity> parityFrom(const QString& text) {
    if (text.size() != 1) {
        return std::nullopt;
    }
    const char letter = text.at(0).toUpper().toLatin1();
    for (const auto& [code, parity] : kParities) {
        if (code == letter) {
            return parity;
        }
    }
    return std::nullopt;
}

std::optional<LineStopBits> stopBitsFrom(const QString& text) {
    if (text == QLatin1String("1")) {
        return LineStopBits::One;
    }
    if (text == QLatin1String("1.5")) {
        return LineStopBits::OneAndHalf;
    }
    if (text == QLatin1String("2")) {
        return LineStopBits::Two;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LineFormat> parseLineFormat(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4) {
        return std::nullopt;
    }
    bool baudOk = false;
    bool bitsOk = false;
    const int baud = fields[0].trimmed().toInt(&baudOk);
    const int dataBits = fields[2].trimmed().toInt(&bitsOk);
    const auto parity = parityFrom(fields[1].trimmed());
    const auto stopBits = stopBitsFrom(fields[3].trimmed());
    if (!baudOk || baud <= 0 || !bitsOk || dataBits < 5 || dataBits > 8 || !parity || !stopBits) {
        return std::nullopt;
    }
    return LineFormat{baud, *parity, dataBits, *stopBits};
}

}  // namespace quillmark
