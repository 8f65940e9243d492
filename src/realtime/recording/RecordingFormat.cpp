#include "realtime/recording/RecordingFormat.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <system_error>

namespace quillmark {

namespace {

constexpr qsizetype kMaxAnswerBytes = 16;

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
// field runs into other text.
bool splitCsv(QByteArrayView line, std::vector<QByteArray>& fields) {
    fields.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        if (i < n && line[i] == '"') {
            QByteArray value;
            ++i;
            while (true) {
                if (i >= n) {
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        value += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += line[i++];
            }
            if (i < n && line[i] != ',') {
                return false;
            }
            fields.push_back(value);
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != ',') {
                if (line[i] == '"') {
                    return false;
                }
                ++i;
            }
            fields.push_back(line.sliced(start, i - start).toByteArray());
        }
        if (i >= n) {
            return true;
        }
        ++i;  // the comma
    }
}

template <typename T>
bool parseNumber(QByteArrayView text, T& out) {
    if (text.isEmpty()) {
        return false;
    }
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, out);
    return ec == std::errc() && end == last;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool parseHex(QByteArrayView text, QByteArray& out) {
    if (text.isEmpty() || text.size() % 2 != 0) {
        return false;
    }
    out.clear();
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out += char(high * 16 + low);
    }
    return true;
}

QString parseAnswers(QByteArrayView text, std::vector<RecordedAnswer>& answers) {
    answers.clear();
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != ' ') {
            ++end;
        }
        const QByteArrayView token = text.sliced(start, end - start);
        const qsizetype colon = token.indexOf(':');
        QByteArray command;
        RecordedAnswer answer;
        if (colon < 0 || !parseHex(token.first(colon), command) || command.size() != 1 ||
            !parseHex(token.sliced(colon + 1), answer.bytes) ||
            answer.bytes.size() > kMaxAnswerBytes) {
            return QStringLiteral("the answer \"%1\" is not a command and answer bytes in hex")
                .arg(QString::fromLatin1(
                    token.first(qMin<qsizetype>(token.size(), 40)).toByteArray()));
        }
        answer.command = static_cast<std::uint8_t>(command[0]);
        answers.push_back(answer);
        start = end + 1;
    }
    return {};
}

QString columnName(int column) {
    return QString::fromLatin1(QByteArray(kRecordingHeader).split(',').value(column));
}

// "3" or "3 hill start"; false when the cell is not a marker.
bool parseMarker(const QByteArray& cell, RecordingMarker& marker) {
    const qsizetype space = cell.indexOf(' ');
    const QByteArrayView number = QByteArrayView(cell).first(space < 0 ? cell.size() : space);
    if (!parseNumber(number, marker.number) || marker.number < 1 || number.startsWith('+')) {
        return false;
    }
    marker.text = space < 0 ? QString() : QString::fromUtf8(cell.sliced(space + 1));
    return true;
}

// Checks and converts one data line; an empty result means the row is good.
QString parseRow(QByteArrayView line, int columns, const RecordingRow* previous, RecordingRow& row,
                 std::vector<QByteArray>& fields) {
    if (!splitCsv(line, fields)) {
        return QStringLiteral("a quoted field is not closed properly");
    }
    if (fields.size() != static_cast<std::size_t>(columns)) {
        return QStringLiteral("expected %1 columns, found %2").arg(columns).arg(fields.size());
    }
    auto bad = [](int column) {
        return QStringLiteral("the %1 column does not hold a number").arg(columnName(column));
    };
    if (!parseNumber(fields[0], row.seconds) || !std::isfinite(row.seconds) || row.seconds < 0) {
        return bad(0);
    }
    if (row.seconds > kMaxRecordingSeconds) {
        return QStringLiteral("the time %1 s is more than ten years after the start")
            .arg(row.seconds, 0, 'g', 6);
    }
    if (previous != nullptr && row.seconds < previous->seconds) {
        return QStringLiteral("the time goes back from %1 to %2 s")
            .arg(previous->seconds, 0, 'f', 3)
            .arg(row.seconds, 0, 'f', 3);
    }
    row.clock = QString::fromUtf8(fields[1]);
    if (!QDateTime::fromString(row.clock, Qt::ISODateWithMs).isValid()) {
        return QStringLiteral("the Clock column does not hold a date and time");
    }
    row.statusRaw.reset();
    if (!fields[2].isEmpty()) {
        int raw = 0;
        if (!parseNumber(fields[2], raw) || raw < 0 || raw > 255) {
            return QStringLiteral("the Status (raw) column does not hold a byte (0 to 255)");
        }
        row.statusRaw = raw;
    }
    row.status = QString::fromUtf8(fields[3]);
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        const int column = 4 + static_cast<int>(i);
        const QByteArray& cell = fields[static_cast<std::size_t>(column)];
        row.values[i].reset();
        if (cell.isEmpty()) {
            continue;
        }
        float value = 0.0f;
        if (!parseNumber(cell, value) || !std::isfinite(value)) {
            return bad(column);
        }
        row.values[i] = value;
    }
    row.marker.reset();
    if (columns > 13 && !fields[13].isEmpty()) {
        RecordingMarker marker;
        if (!parseMarker(fields[13], marker)) {
            return QStringLiteral("the Marker column does not start with a marker number");
        }
        row.marker.emplace(std::move(marker));
    }
    return parseAnswers(fields[12], row.answers);
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

QString markerCellText(const RecordingMarker& marker) {
    return marker.text.isEmpty() ? QString::number(marker.number)
                                 : QStringLiteral("%1 %2").arg(marker.number).arg(marker.text);
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
    if (row.marker) {
        // Quoted as the status is when the text holds a comma or a quote.
        line += csvField(markerCellText(*row.marker));
    }
    line += '\n';
    return line;
}

bool RecordingParser::fail(QString what) {
    contents_.rows.clear();
    contents_.errorLine = lineNumber_;
    contents_.error = std::move(what);
    return false;
}

bool RecordingParser::addOverlongLine() {
    if (!contents_.ok()) {
        return false;
    }
    ++lineNumber_;
    return failOverlong();
}

bool RecordingParser::failOverlong() {
    return fail(QStringLiteral("the line is longer than %1 characters").arg(kMaxRecordingLine));
}

bool RecordingParser::addLine(QByteArrayView line) {
    if (!contents_.ok()) {
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
    RecordingRow row;
    const QString error = parseRow(
        line, columns_, contents_.rows.empty() ? nullptr : &contents_.rows.back(), row, fields_);
    if (!error.isEmpty()) {
        return fail(error);
    }
    // Most rows show the status of the row before; they share its text rather than copy it.
    if (!contents_.rows.empty() && contents_.rows.back().status == row.status) {
        row.status = contents_.rows.back().status;
    }
    contents_.rows.push_back(std::move(row));
    return true;
}

RecordingContents RecordingParser::finish() {
    if (contents_.ok()) {
        if (lineNumber_ == 0) {
            lineNumber_ = 1;
            fail(QStringLiteral("the file is empty"));
        } else if (contents_.rows.empty()) {
            lineNumber_ = 2;
            fail(QStringLiteral("the recording has no rows"));
        }
    }
    return std::move(contents_);
}

RecordingContents parseRecording(QByteArrayView text) {
    RecordingParser parser;
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
    return parser.finish();
}

}  // namespace quillmark
