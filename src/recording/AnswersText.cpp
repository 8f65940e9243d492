#include "recording/AnswersText.h"

#include <array>

namespace quillmark {

namespace {

constexpr qsizetype kMaxAnswerBytes = 16;

constexpr std::array<std::int8_t, 256> kHexDigits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (int i = 0; i < 10; ++i) {
        digits[std::size_t('0') + std::size_t(i)] = std::int8_t(i);
    }
    for (int i = 0; i < 6; ++i) {
        digits[std::size_t('A') + std::size_t(i)] = std::int8_t(10 + i);
        digits[std::size_t('a') + std::size_t(i)] = std::int8_t(10 + i);
    }
    return digits;
}();

int hexDigit(char c) {
    return kHexDigits[static_cast<unsigned char>(c)];
}

bool isHexDigit(char c) {
    return hexDigit(c) >= 0;
}

}  // namespace

// Tokens apart by single spaces, each two hex digits, a colon and an even count of hex digits,
// at most kMaxAnswerBytes of them.
bool answersAreWellFormed(QByteArrayView text) {
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        if (end - at < 5 || !isHexDigit(at[0]) || !isHexDigit(at[1]) || at[2] != ':') {
            return false;
        }
        at += 3;
        const char* const digits = at;
        while (at < end && isHexDigit(*at)) {
            ++at;
        }
        const auto count = at - digits;
        if (count == 0 || count % 2 != 0 || count > 2 * kMaxAnswerBytes ||
            (at < end && *at != ' ')) {
            return false;
        }
        ++at;  // the space, or past the end
    }
    return true;
}

namespace {

// Even-length hex text into bytes; `out` may be null when only the check is wanted.
bool parseHex(QByteArrayView text, QByteArray* out) {
    if (text.isEmpty() || text.size() % 2 != 0) {
        return false;
    }
    if (out != nullptr) {
        out->resize(text.size() / 2);
    }
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        if (out != nullptr) {
            (*out)[i / 2] = char(high * 16 + low);
        }
    }
    return true;
}

}  // namespace

QString parseAnswers(QByteArrayView text, std::vector<RecordedAnswer>* answers) {
    if (answers != nullptr) {
        answers->clear();
    }
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != ' ') {
            ++end;
        }
        const QByteArrayView token = text.sliced(start, end - start);
        const qsizetype colon = token.indexOf(':');
        RecordedAnswer answer;
        QByteArray* bytes = answers != nullptr ? &answer.bytes : nullptr;
        const qsizetype answerDigits = token.size() - colon - 1;
        if (colon != 2 || !parseHex(token.first(colon), nullptr) ||
            !parseHex(token.sliced(colon + 1), bytes) || answerDigits > 2 * kMaxAnswerBytes) {
            return QStringLiteral("the answer \"%1\" is not a command and answer bytes in hex")
                .arg(QString::fromLatin1(
                    token.first(qMin<qsizetype>(token.size(), 40)).toByteArray()));
        }
        if (answers != nullptr) {
            answer.command =
                static_cast<std::uint8_t>(hexDigit(token[0]) * 16 + hexDigit(token[1]));
            answers->push_back(std::move(answer));
        }
        start = end + 1;
    }
    return {};
}

QByteArray answersText(const std::vector<RecordedAnswer>& answers) {
    QByteArray text;
    for (const auto& answer : answers) {
        if (!text.isEmpty()) {
            text += ' ';
        }
        text += QByteArray(1, char(answer.command)).toHex().toUpper();
        text += ':';
        text += answer.bytes.toHex().toUpper();
    }
    return text;
}

namespace {

// The hex digits of the answer to `command` in a checked answers column; empty when none.
QByteArrayView answerDigits(QByteArrayView answers, std::uint8_t command) {
    qsizetype start = 0;
    while (start + 3 < answers.size()) {
        qsizetype end = answers.indexOf(' ', start);
        if (end < 0) {
            end = answers.size();
        }
        if (hexDigit(answers[start]) * 16 + hexDigit(answers[start + 1]) == command) {
            return answers.sliced(start + 3, end - start - 3);
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

QByteArray answerInText(QByteArrayView answers, std::uint8_t command) {
    QByteArray bytes;
    const QByteArrayView digits = answerDigits(answers, command);
    if (!digits.isEmpty()) {
        parseHex(digits, &bytes);
    }
    return bytes;
}

bool hasAnswerInText(QByteArrayView answers, std::uint8_t command) {
    return !answerDigits(answers, command).isEmpty();
}

}  // namespace quillmark
