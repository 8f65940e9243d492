#include "recording/RecordingFormat.h"

#include <QDateTime>
#include <QStringList>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

namespace quillmark {

namespace {

constexpr qsizetype kMaxAnswerBytes = 16;
// Time, clock, raw status and status come first, then the values, the answers and the marker.
constexpr int kFirstValueColumn = 4;
constexpr int kAnswersColumn = kFirstValueColumn + static_cast<int>(kQuantities.size());
constexpr int kMarkerColumn = kAnswersColumn + 1;
static_assert(kMarkerColumn + 1 == kRecordingColumns);

QByteArray csvField(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') &&
        !utf8.contains('\r')) {
        return utf8;
    }
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

// Splits one line into fields, honouring quotes; false when a quote is left open or a quoted
// field runs into other text. A field is a view into the line, or into `unescaped` where a
// quoted field held doubled quotes.
bool splitCsv(QByteArrayView line, std::vector<QByteArrayView>& fields,
              std::vector<QByteArray>& unescaped) {
    fields.clear();
    unescaped.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        if (i < n && line[i] == '"') {
            const qsizetype start = ++i;
            bool doubled = false;
            while (true) {
                if (i >= n) {
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            const QByteArrayView quoted = line.sliced(start, i - start);
            ++i;  // the closing quote
            if (i < n && line[i] != ',') {
                return false;
            }
            if (doubled) {
                // The bytes stay where they are when the vector grows: views stay good.
                unescaped.push_back(quoted.toByteArray().replace("\"\"", "\""));
                fields.emplace_back(unescaped.back());
            } else {
                fields.push_back(quoted);
            }
        } else {
            // A day of fast polling is millions of rows: the field's end is searched for, not
            // stepped to.
            const qsizetype start = i;
            const void* comma = std::memchr(line.data() + start, ',', std::size_t(n - start));
            i = comma != nullptr ? static_cast<const char*>(comma) - line.data() : n;
            if (std::memchr(line.data() + start, '"', std::size_t(i - start)) != nullptr) {
                return false;
            }
            fields.push_back(line.sliced(start, i - start));
        }
        if (i >= n) {
            return true;
        }
        ++i;  // the comma
    }
}

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

// The check of parseAnswers in one pass, without a message: most rows are good, and a day of
// fast polling has millions of them. Tokens apart by single spaces, each two hex digits, a
// colon and an even count of hex digits, at most kMaxAnswerBytes of them.
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

// Checks the answers column and, where `answers` is given, fills it.
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

int digitsAt(QByteArrayView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[std::size_t(month - 1)];
}

// The form the program writes, "2026-12-07T11:43:07.125+01:00" or "...07.125Z", checked
// without the cost of a date parse for every row: true only where the full parse would take
// the text too, false where that parse must decide.
bool isPlainClockText(QByteArrayView text) {
    constexpr qsizetype kLocalLength = 23;  // up to the milliseconds
    if (text.size() != kLocalLength + 1 && text.size() != kLocalLength + 6) {
        return false;
    }
    constexpr std::array<std::pair<qsizetype, char>, 6> kSeparators{
        {{4, '-'}, {7, '-'}, {10, 'T'}, {13, ':'}, {16, ':'}, {19, '.'}}};
    for (const auto& [at, separator] : kSeparators) {
        if (text[at] != separator) {
            return false;
        }
    }
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 1900 || month < 1 || month > 12 || day < 1 || digitsAt(text, 20, 3) < 0 ||
        day > daysInMonth(year, month)) {
        return false;
    }
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    if (text.size() == kLocalLength + 1) {
        return text[kLocalLength] == 'Z';
    }
    const char sign = text[kLocalLength];
    const int offsetHours = digitsAt(text, kLocalLength + 1, 2);
    const int offsetMinutes = digitsAt(text, kLocalLength + 4, 2);
    return (sign == '+' || sign == '-') && text[kLocalLength + 3] == ':' && offsetHours >= 0 &&
           offsetHours <= 14 && offsetMinutes >= 0 && offsetMinutes <= 59;
}

bool isClockText(QByteArrayView text) {
    return isPlainClockText(text) ||
           QDateTime::fromString(QString::fromUtf8(text), Qt::ISODateWithMs).isValid();
}

QString columnName(int column) {
    return QString::fromLatin1(QByteArray(kRecordingHeader).split(',').value(column));
}

// The number at the start of a marker, "3" (the user's) or "A3" (an alarm's), up to a blank
// or the end; false when `token` is none.
bool parseMarkerNumber(QByteArrayView token, RecordingMarker& marker) {
    marker.kind = MarkerKind::User;
    if (token.startsWith('A')) {
        marker.kind = MarkerKind::Alarm;
        token = token.sliced(1);
    }
    return parseNumber(token, marker.number) && marker.number >= 1 && !token.startsWith('+');
}

constexpr QByteArrayView kMarkerSeparator = " | ";

// Where the next marker of a cell starts after `from`: past a " | " that a marker number
// follows; -1 when none does.
qsizetype nextMarkerAt(QByteArrayView cell, qsizetype from) {
    RecordingMarker marker;
    for (qsizetype at = cell.indexOf(kMarkerSeparator, from); at >= 0;
         at = cell.indexOf(kMarkerSeparator, at + 1)) {
        const qsizetype start = at + kMarkerSeparator.size();
        const qsizetype space = cell.indexOf(' ', start);
        if (parseMarkerNumber(cell.sliced(start, (space < 0 ? cell.size() : space) - start),
                              marker)) {
            return start;
        }
    }
    return -1;
}

}  // namespace

bool parseMarkerCell(QByteArrayView cell, std::vector<RecordingMarker>* markers) {
    if (markers != nullptr) {
        markers->clear();
    }
    qsizetype at = 0;
    while (true) {
        RecordingMarker marker;
        const qsizetype space = cell.indexOf(' ', at);
        const qsizetype numberEnd = space < 0 ? cell.size() : space;
        if (!parseMarkerNumber(cell.sliced(at, numberEnd - at), marker)) {
            return false;
        }
        // A text runs to the next marker, or to the end of the cell.
        const qsizetype next = space < 0 ? -1 : nextMarkerAt(cell, numberEnd);
        const qsizetype textEnd = next < 0 ? cell.size() : next - kMarkerSeparator.size();
        if (space >= 0 && space < textEnd) {
            marker.text = QString::fromUtf8(cell.sliced(space + 1, textEnd - space - 1));
        }
        if (markers != nullptr) {
            markers->push_back(std::move(marker));
        }
        if (next < 0) {
            return true;
        }
        at = next;
    }
}

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

QByteArray recordingHeaderLine() {
    return QByteArray(kRecordingHeader) + '\n';
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

constexpr std::int64_t kMsPerDay = 86'400'000;
// Below the offset code: 0 for "Z", else 1 + minutes east of UTC + 15 hours.
constexpr std::int64_t kOffsetCodes = 2048;
constexpr int kOffsetBias = 15 * 60;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back: plain
// arithmetic, as a day of rows cannot afford a date object for each.
std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = year / 400;  // years from 1900 on only
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t(era) * 146097 + dayOfEra - 719468;
}

QDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = days / 146097;
    const auto dayOfEra = static_cast<int>(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const auto year = static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
    return QDate(year, month, day);
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

std::optional<std::int64_t> packClockText(QByteArrayView text) {
    if (!isPlainClockText(text)) {
        return std::nullopt;
    }
    const std::int64_t days =
        daysFromCivil(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    const std::int64_t msOfDay = digitsAt(text, 11, 2) * 3'600'000LL +
                                 digitsAt(text, 14, 2) * 60'000LL + digitsAt(text, 17, 2) * 1000LL +
                                 digitsAt(text, 20, 3);
    std::int64_t code = 0;
    if (text.size() > 24) {
        const int minutes = digitsAt(text, 24, 2) * 60 + digitsAt(text, 27, 2);
        code = 1 + kOffsetBias + (text[23] == '-' ? -minutes : minutes);
    }
    // Days from 1900 on are never far below zero; kept positive so division rounds the one way.
    constexpr std::int64_t kDaysBefore1970 = 25567;
    return ((days + kDaysBefore1970) * kMsPerDay + msOfDay) * kOffsetCodes + code;
}

QString unpackClockText(std::int64_t packed) {
    constexpr std::int64_t kDaysBefore1970 = 25567;
    const std::int64_t code = packed % kOffsetCodes;
    const std::int64_t local = packed / kOffsetCodes;
    const QDate date = civilFromDays(local / kMsPerDay - kDaysBefore1970);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(local % kMsPerDay));
    QString text = date.toString(Qt::ISODate) + QLatin1Char('T') +
                   time.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (code == 0) {
        return text + QLatin1Char('Z');
    }
    const auto minutes = static_cast<int>(code - 1 - kOffsetBias);
    return text + QStringLiteral("%1%2:%3")
                      .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                      .arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
                      .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

QString markerCellText(const RecordingMarker& marker) {
    QString text = QString::number(marker.number);
    if (marker.kind == MarkerKind::Alarm) {
        text.prepend(QLatin1Char('A'));
    }
    return marker.text.isEmpty() ? text : text + QLatin1Char(' ') + marker.text;
}

QString markersCellText(const std::vector<RecordingMarker>& markers) {
    QStringList texts;
    for (const RecordingMarker& marker : markers) {
        texts.append(markerCellText(marker));
    }
    return texts.join(QString::fromLatin1(kMarkerSeparator.data(), kMarkerSeparator.size()));
}

QByteArray recordingRowLine(const RecordingRow& row) {
    QByteArray line;
    line.reserve(200);
    char seconds[32];
    const auto end =
        std::to_chars(seconds, seconds + sizeof seconds, row.seconds, std::chars_format::fixed, 3);
    line.append(seconds, end.ptr - seconds);
    line += ',';
    line += csvField(row.clock);
    line += ',';
    if (row.statusRaw) {
        line += QByteArray::number(*row.statusRaw);
    }
    line += ',';
    line += csvField(row.status);
    for (const auto& value : row.values) {
        line += ',';
        if (value) {
            line += shortestFloatText(*value);
        }
    }
    line += ',';
    line += answersText(row.answers);
    line += ',';
    // Quoted as the status is when a text holds a comma or a quote.
    line += csvField(markersCellText(row.markers));
    line += '\n';
    return line;
}

// Checks and converts one data line; an empty result means the row is good.
QString RecordingLineParser::parseRow(QByteArrayView line, RecordingLine& row) {
    if (!splitCsv(line, fields_, unescaped_)) {
        return QStringLiteral("a quoted field is not closed properly");
    }
    if (fields_.size() != static_cast<std::size_t>(columns_)) {
        return QStringLiteral("expected %1 columns, found %2").arg(columns_).arg(fields_.size());
    }
    auto bad = [](int column) {
        return QStringLiteral("the %1 column does not hold a number").arg(columnName(column));
    };
    const double previousSeconds = row.seconds;
    if (!parseNumber(fields_[0], row.seconds) || !std::isfinite(row.seconds) || row.seconds < 0) {
        return bad(0);
    }
    if (row.seconds > kMaxRecordingSeconds) {
        return QStringLiteral("the time %1 s is more than ten years after the start")
            .arg(row.seconds, 0, 'g', 6);
    }
    if (rows_ > 0 && row.seconds < previousSeconds) {
        return QStringLiteral("the time goes back from %1 to %2 s")
            .arg(previousSeconds, 0, 'f', 3)
            .arg(row.seconds, 0, 'f', 3);
    }
    row.clock = fields_[1];
    // The program's own form packs as it is checked; any other must still be a date and time.
    row.packedClock = packClockText(row.clock);
    if (!row.packedClock && !isClockText(row.clock)) {
        return QStringLiteral("the Clock column does not hold a date and time");
    }
    row.statusRaw.reset();
    if (!fields_[2].isEmpty()) {
        int raw = 0;
        if (!parseNumber(fields_[2], raw) || raw < 0 || raw > 255) {
            return QStringLiteral("the Status (raw) column does not hold a byte (0 to 255)");
        }
        row.statusRaw = raw;
    }
    row.status = fields_[3];
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        const int column = kFirstValueColumn + static_cast<int>(i);
        const QByteArrayView cell = fields_[static_cast<std::size_t>(column)];
        row.values[i] = std::numeric_limits<float>::quiet_NaN();
        if (cell.isEmpty()) {
            continue;
        }
        float value = 0.0f;
        if (!parseNumber(cell, value) || !std::isfinite(value)) {
            return bad(column);
        }
        row.values[i] = value;
    }
    row.markers = columns_ > kMarkerColumn ? fields_[std::size_t(kMarkerColumn)] : QByteArrayView();
    if (!row.markers.isEmpty() && !parseMarkerCell(row.markers, nullptr)) {
        return QStringLiteral("the Marker column does not start with a marker number");
    }
    row.answers = fields_[std::size_t(kAnswersColumn)];
    return answersAreWellFormed(row.answers) ? QString() : parseAnswers(row.answers, nullptr);
}

bool RecordingLineParser::fail(QString what) {
    dropRows();
    errorLine_ = lineNumber_;
    error_ = std::move(what);
    return false;
}

bool RecordingLineParser::addOverlongLine() {
    if (!ok()) {
        return false;
    }
    ++lineNumber_;
    return failOverlong();
}

bool RecordingLineParser::failOverlong() {
    return fail(QStringLiteral("the line is longer than %1 characters").arg(kMaxRecordingLine));
}

bool RecordingLineParser::addLine(QByteArrayView line) {
    if (!ok()) {
        return false;
    }
    ++lineNumber_;
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.size() > kMaxRecordingLine) {
        return failOverlong();
    }
    if (lineNumber_ == 1) {
        // Editors and spreadsheets put a byte-order mark before the header of a file they save.
        const QByteArrayView byteOrderMark("\xEF\xBB\xBF");
        if (line.startsWith(byteOrderMark)) {
            line = line.sliced(byteOrderMark.size());
        }
        if (line == QByteArrayView(kRecordingHeaderWithoutMarker)) {
            columns_ = kRecordingColumns - 1;
        } else if (line != QByteArrayView(kRecordingHeader)) {
            return fail(QStringLiteral("the header is not that of a recording"));
        }
        return true;
    }
    // Blank lines that an editor left at the end are no rows; one between rows is a fault.
    if (line.trimmed().isEmpty()) {
        if (firstBlankLine_ == 0) {
            firstBlankLine_ = lineNumber_;
        }
        return true;
    }
    if (firstBlankLine_ != 0) {
        lineNumber_ = firstBlankLine_;
        return fail(QStringLiteral("the line is blank"));
    }
    const QString error = parseRow(line, row_);
    if (!error.isEmpty()) {
        return fail(error);
    }
    row_.bytes = line.size();
    ++rows_;
    takeRow(row_);
    return true;
}

bool RecordingLineParser::finishLines() {
    if (ok()) {
        if (lineNumber_ == 0) {
            lineNumber_ = 1;
            fail(QStringLiteral("the file is empty"));
        } else if (rows_ == 0) {
            lineNumber_ = 2;
            fail(QStringLiteral("the recording has no rows"));
        }
    }
    return ok();
}

void RecordingParser::takeRow(const RecordingLine& line) {
    RecordingRow row;
    row.seconds = line.seconds;
    row.clock = QString::fromUtf8(line.clock);
    row.statusRaw = line.statusRaw;
    // Most rows show the status of the row before; they share its text rather than copy it.
    if (contents_.rows.empty() || line.status != lastStatus_) {
        lastStatus_ = line.status.toByteArray();
        lastStatusText_ = QString::fromUtf8(line.status);
    }
    row.status = lastStatusText_;
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        if (!std::isnan(line.values[i])) {
            row.values[i] = line.values[i];
        }
    }
    parseAnswers(line.answers, &row.answers);
    if (!line.markers.isEmpty()) {
        parseMarkerCell(line.markers, &row.markers);
    }
    contents_.rows.push_back(std::move(row));
}

void RecordingParser::dropRows() {
    contents_.rows.clear();
}

RecordingContents RecordingParser::finish() {
    finishLines();
    contents_.errorLine = errorLine();
    contents_.error = error();
    return std::move(contents_);
}

void addRecordingText(QByteArrayView text, RecordingLineParser& parser) {
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        if (newline < 0) {
            break;  // torn by a crash while it was written
        }
        if (!parser.addLine(text.sliced(start, newline - start))) {
            break;
        }
        start = newline + 1;
    }
    if (start == 0 && !text.isEmpty() && text.indexOf('\n') < 0) {
        // Not a single whole line: whatever it is, it is no recording's header.
        parser.addLine(text.first(std::min<qsizetype>(text.size(), kMaxRecordingLine + 1)));
    }
}

RecordingContents parseRecording(QByteArrayView text) {
    RecordingParser parser;
    addRecordingText(text, parser);
    return parser.finish();
}

}  // namespace quillmark
