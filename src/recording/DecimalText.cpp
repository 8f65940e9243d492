#include "recording/DecimalText.h"

#include <charconv>
#include <cstdint>
#include <system_error>
#include <type_traits>

namespace quillmark {

namespace {

// The plain decimals the program writes ("-12.375"), converted exactly as from_chars would:
// where the digits without the point are a whole number the type holds exactly and the power
// of ten is exact too, one division rounds correctly. False where from_chars must decide.
template <typename T>
bool parsePlainDecimal(QByteArrayView text, T& out) {
    // 2^24 and 10^10 are exact in a float; 2^53 and 10^22 in a double.
    constexpr bool single = std::is_same_v<T, float>;
    constexpr std::uint64_t kMostDigitsValue = single ? (1ULL << 24) : (1ULL << 53);
    constexpr int kMostFractionDigits = single ? 10 : 22;
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = at < end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digits = 0;
    int fractionDigits = -1;  // none until the point
    bool any = false;
    for (; at < end; ++at) {
        if (*at == '.' && fractionDigits < 0) {
            fractionDigits = 0;
            continue;
        }
        if (*at < '0' || *at > '9' || digits > kMostDigitsValue / 10) {
            return false;
        }
        digits = digits * 10 + std::uint64_t(*at - '0');
        any = true;
        fractionDigits += fractionDigits >= 0 ? 1 : 0;
    }
    if (!any || fractionDigits == 0 || digits > kMostDigitsValue ||
        fractionDigits > kMostFractionDigits ||
        (text.size() > 1 && text[negative ? 1 : 0] == '.')) {
        return false;
    }
    T value = static_cast<T>(digits);
    if (fractionDigits > 0) {
        T scale = 1;
        for (int i = 0; i < fractionDigits; ++i) {
            scale *= 10;
        }
        value /= scale;
    }
    out = negative ? -value : value;
    return true;
}

}  // namespace

QByteArray shortestFloatText(float value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        // Out of range for fixed notation; the general form still reads back exactly.
        const auto general = std::to_chars(buffer, buffer + sizeof buffer, value);
        return QByteArray(buffer, general.ptr - buffer);
    }
    return QByteArray(buffer, result.ptr - buffer);
}

template <typename T>
bool parseNumber(QByteArrayView text, T& out) {
    if (text.isEmpty()) {
        return false;
    }
    if constexpr (std::is_floating_point_v<T>) {
        if (parsePlainDecimal(text, out)) {
            return true;
        }
    }
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && end == last;
}

template bool parseNumber<int>(QByteArrayView, int&);
template bool parseNumber<float>(QByteArrayView, float&);
template bool parseNumber<double>(QByteArrayView, double&);

}  // namespace quillmark
