#include "recording/Timestamps.h"

#include <QDateTime>

#include <array>
#include <chrono>
#include <cstdlib>
#include <utility>

namespace quillmark {

namespace {

using namespace std::chrono;

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

constexpr qsizetype kLocalLength = 23;  // "2026-12-07T11:43:07.125", up to the milliseconds

year_month_day dateAt(QByteArrayView text) {
    return year_month_day{year{digitsAt(text, 0, 4)}, month{unsigned(digitsAt(text, 5, 2))},
                          day{unsigned(digitsAt(text, 8, 2))}};
}

// The program's own form, checked without the cost of a date parse for every row: true only
// where the full parse would take the text too, false where that parse must decide.
bool isPlainTimestamp(QByteArrayView text) {
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
    if (digitsAt(text, 0, 4) < 1900 || digitsAt(text, 5, 2) < 0 || digitsAt(text, 8, 2) < 0 ||
        !dateAt(text).ok() || digitsAt(text, 20, 3) < 0) {
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

constexpr std::int64_t kMsPerDay = 86'400'000;
// Below the offset code: 0 for "Z", else 1 + minutes east of UTC + 15 hours.
constexpr std::int64_t kOffsetCodes = 2048;
constexpr int kOffsetBias = 15 * 60;
// Days from 1900 on are never far below zero; kept positive so division rounds the one way.
constexpr std::int64_t kDaysBefore1970 =
    (sys_days{1970y / January / 1} - sys_days{1900y / January / 1}).count();

}  // namespace

bool isTimestampText(QByteArrayView text) {
    return isPlainTimestamp(text) ||
           QDateTime::fromString(QString::fromUtf8(text), Qt::ISODateWithMs).isValid();
}

std::optional<std::int64_t> packTimestamp(QByteArrayView text) {
    if (!isPlainTimestamp(text)) {
        return std::nullopt;
    }
    const std::int64_t days = sys_days{dateAt(text)}.time_since_epoch().count();
    const std::int64_t msOfDay = digitsAt(text, 11, 2) * 3'600'000LL +
                                 digitsAt(text, 14, 2) * 60'000LL + digitsAt(text, 17, 2) * 1000LL +
                                 digitsAt(text, 20, 3);
    std::int64_t code = 0;
    if (text.size() > kLocalLength + 1) {
        const int minutes = digitsAt(text, 24, 2) * 60 + digitsAt(text, 27, 2);
        code = 1 + kOffsetBias + (text[kLocalLength] == '-' ? -minutes : minutes);
    }
    return ((days + kDaysBefore1970) * kMsPerDay + msOfDay) * kOffsetCodes + code;
}

QString unpackTimestamp(std::int64_t packed) {
    const std::int64_t code = packed % kOffsetCodes;
    const std::int64_t local = packed / kOffsetCodes;
    const year_month_day date{sys_days{days{local / kMsPerDay - kDaysBefore1970}}};
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(local % kMsPerDay));
    QString text = QDate(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())))
                       .toString(Qt::ISODate) +
                   QLatin1Char('T') + time.toString(QStringLiteral("HH:mm:ss.zzz"));
    if (code == 0) {
        return text + QLatin1Char('Z');
    }
    const auto minutes = static_cast<int>(code - 1 - kOffsetBias);
    return text + QStringLiteral("%1%2:%3")
                      .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                      .arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
                      .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace quillmark
