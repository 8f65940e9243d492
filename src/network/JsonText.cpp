#include "network/JsonText.h"

#include "recording/DecimalText.h"

#include <charconv>
#include <cmath>

namespace quillmark {

void JsonText::add(const char* key, const QString& text) {
    this->key(key);
    string(text);
}

void JsonText::add(const char* key, const std::optional<QString>& text) {
    if (text) {
        add(key, *text);
    } else {
        this->key(key);
        text_ += "null";
    }
}

void JsonText::add(const char* key, std::optional<float> value) {
    this->key(key);
    // JSON has no NaN or infinity; such a value is no reading.
    text_ += value && std::isfinite(*value) ? shortestFloatText(*value) : QByteArray("null");
}

void JsonText::addSeconds(const char* key, double seconds) {
    this->key(key);
    if (!std::isfinite(seconds)) {
        text_ += "null";
        return;
    }
    char digits[32];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, seconds, std::chars_format::fixed, 3);
    text_.append(digits, end.ptr - digits);
}

void JsonText::key(const char* key) {
    if (text_.size() > 1) {
        text_ += ',';
    }
    text_ += '"';
    text_ += key;  // the program's own keys: plain ASCII
    text_ += "\":";
}

void JsonText::string(const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    text_ += '"';
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (byte < 0x20) {
            text_ += "\\u00";
            text_ += kHex[byte >> 4];
            text_ += kHex[byte & 0xF];
        } else {
            text_ += c;
        }
    }
    text_ += '"';
}

}  // namespace quillmark
