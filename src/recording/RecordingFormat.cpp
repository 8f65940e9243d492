#include "recording/RecordingFormat.h"

#include "recording/AnswersText.h"
#include "recording/CsvText.h"
#include "recording/DecimalText.h"
#include "recording/Timestamps.h"

#include <QList>

#include <charconv>
#include <cmath>
#include <limits>

namespace quillmark {

namespace {

QString columnName(int column) {
    return QString::fromLatin1(QByteArray(kRecordingHeader).split(',').value(column));
}

// "3" or "3 hill start"; false when the cell is not a marker. The text is a view into `cell`.
bool parseMarker(QByteArrayView cell, int& number, QByteArrayView& text) {
    const qsizetype space = cell.indexOf(' ');
    const QByteArrayView digits = cell.first(space < 0 ? cell.size() : space);
    if (!parseNumber(digits, number) || number < 1 || digits.startsWith('+')) {
        return false;
    }
    text = space < 0 ? QByteArrayView() : cell.sliced(space + 1);
    return true;
}

}  // namespace

QByteArray recordingHeaderLine() {
    return QByteArray(kRecordingHeader) + '\n';
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
    row.packedClock = packTimestamp(row.clock);
    if (!row.packedClock && !isTimestampText(row.clock)) {
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
        const int column = 4 + static_cast<int>(i);
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
    row.markerNumber = 0;
    row.markerText = {};
    if (columns_ > 13 && !fields_[13].isEmpty() &&
        !parseMarker(fields_[13], row.markerNumber, row.markerText)) {
        return QStringLiteral("the Marker column does not start with a marker number");
    }
    row.answers = fields_[12];
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
    if (line.markerNumber > 0) {
        row.marker = RecordingMarker{line.markerNumber, QString::fromUtf8(line.markerText)};
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
