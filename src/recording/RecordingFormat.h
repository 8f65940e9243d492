// The recording file's text: one header row, then one comma-separated row per tick, numbers
// always with '.', LF line ends. Writing and strict reading of that text.
#pragma once

#include "recording/RecordingRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quillmark {

namespace recording_header {

inline constexpr std::string_view kLead = "Time (s),Clock,Status (raw),Status";
inline constexpr std::string_view kAnswers = ",Answers";
inline constexpr std::string_view kMarker = ",Marker";

constexpr std::size_t length(bool withMarker) {
    std::size_t length = kLead.size() + kAnswers.size() + (withMarker ? kMarker.size() : 0);
    for (const QuantityFacts& facts : kQuantities) {
        length += 1 + std::string_view(facts.column).size();
    }
    return length;
}

// The header's text with a NUL after it: the lead columns, a column per quantity, Answers and,
// in files recorded since markers exist, Marker.
template <bool WithMarker>
constexpr std::array<char, length(WithMarker) + 1> text() {
    std::array<char, length(WithMarker) + 1> out{};
    std::size_t at = 0;
    auto append = [&](std::string_view part) {
        for (const char c : part) {
            out[at++] = c;
        }
    };
    append(kLead);
    for (const QuantityFacts& facts : kQuantities) {
        append(",");
        append(facts.column);
    }
    append(kAnswers);
    if (WithMarker) {
        append(kMarker);
    }
    return out;
}

inline constexpr auto kWithMarker = text<true>();
inline constexpr auto kWithoutMarker = text<false>();

}  // namespace recording_header

inline constexpr const char* kRecordingHeader = recording_header::kWithMarker.data();
inline constexpr int kRecordingColumns = 4 + static_cast<int>(kQuantities.size()) + 2;
// Files recorded before markers existed end with the Answers column; they still open.
inline constexpr const char* kRecordingHeaderWithoutMarker =
    recording_header::kWithoutMarker.data();

// No row of ours comes near this; a longer line is not a recording's, and the limit keeps a
// reader's memory bounded whatever file it is handed.
inline constexpr qsizetype kMaxRecordingLine = 4096;
// Ten years: beyond that a time is not one a recording can hold, and the chart and playback
// would only be asked to lay out a span that means nothing.
inline constexpr double kMaxRecordingSeconds = 10 * 365.25 * 86400;

// The shortest decimal text that reads back as the same single, never in the user's locale.
QByteArray shortestFloatText(float value);

// The header or a row, with its line end.
QByteArray recordingHeaderLine();
QByteArray recordingRowLine(const RecordingRow& row);

// The answers column: "2F:AA36 22:AA78".
QByteArray answersText(const std::vector<RecordedAnswer>& answers);
// One marker: its number, then a space and its text when it has one ("3 hill start"); an
// alarm's number starts with A ("A1 Battery 11.6 V below 12.0 V").
QString markerCellText(const RecordingMarker& marker);
// The Marker column: each marker of the row, apart by " | " ("3 hill | A1 Battery ...").
QString markersCellText(const std::vector<RecordingMarker>& markers);
// The markers of a Marker column that is not empty, in order; false when it does not hold
// markers. A marker's text runs to the next " | " that a marker number follows, so the one
// marker a cell held before rows took several reads as it did.
bool parseMarkerCell(QByteArrayView cell, std::vector<RecordingMarker>* markers);

// The answer to `command` in an answers column that has been checked, lead byte included;
// empty when the row has none. The first, as RecordingRow::answerTo has it.
QByteArray answerInText(QByteArrayView answers, std::uint8_t command);
bool hasAnswerInText(QByteArrayView answers, std::uint8_t command);

// A clock text in the form the program writes ("2026-12-07T11:43:07.125+01:00" or
// "...07.125Z") as one number that gives the same text back: a day of rows keeps eight bytes
// a row for its clock rather than a string. None for any other form.
std::optional<std::int64_t> packClockText(QByteArrayView text);
QString unpackClockText(std::int64_t packed);

struct RecordingContents {
    std::vector<RecordingRow> rows;
    qsizetype errorLine = 0;  // 1-based; 0 when the text is a good recording
    QString error;            // what is wrong on that line

    bool ok() const { return error.isEmpty(); }
};

// One data line, checked and converted; the texts are views into the line (or into the parser)
// and last only until the next line is added.
struct RecordingLine {
    double seconds = 0.0;
    QByteArrayView clock;
    std::optional<std::int64_t> packedClock;  // packClockText's number, when the clock packs
    std::optional<int> statusRaw;
    QByteArrayView status;
    std::array<float, kRecordedValues.size()> values{};  // NaN for an empty cell
    QByteArrayView answers;                              // checked: command and answer in hex
    QByteArrayView markers;  // the Marker column, checked; empty for a row without markers
    qsizetype bytes = 0;     // the line's length, its line end left out
};

// Reads a recording a line at a time, so a file of any length is read in memory proportional
// to what the reader keeps of its rows. Takes any bytes without crashing and stops at the
// first fault. Each good row goes to takeRow(); what is kept of it is the reader's choice.
class RecordingLineParser {
public:
    virtual ~RecordingLineParser() = default;

    // One line without its line end (a CR before it is dropped here). False once the text is
    // known not to be a good recording; later lines are then ignored.
    bool addLine(QByteArrayView line);
    // A line longer than kMaxRecordingLine, which the caller need not keep.
    bool addOverlongLine();

    bool ok() const { return error_.isEmpty(); }
    qsizetype errorLine() const { return errorLine_; }  // 1-based; 0 while the text is good
    const QString& error() const { return error_; }

protected:
    RecordingLineParser() = default;
    // After the last whole line: an empty file or one without rows is no recording either.
    bool finishLines();
    virtual void takeRow(const RecordingLine& line) = 0;
    // The text turned out not to be a recording: what was kept of it goes.
    virtual void dropRows() = 0;

private:
    bool fail(QString what);
    bool failOverlong();
    QString parseRow(QByteArrayView line, RecordingLine& row);

    std::vector<QByteArrayView> fields_;
    std::vector<QByteArray> unescaped_;  // quoted fields with doubled quotes, made single
    RecordingLine row_;
    qsizetype lineNumber_ = 0;
    qsizetype firstBlankLine_ = 0;  // of the blank lines not yet followed by a row
    qsizetype rows_ = 0;
    qsizetype errorLine_ = 0;
    QString error_;
    int columns_ = kRecordingColumns;  // as the header says
};

// The reader that keeps every row whole, answers and all.
class RecordingParser final : public RecordingLineParser {
public:
    // The rows, or the fault; call once, after the last whole line.
    RecordingContents finish();

private:
    void takeRow(const RecordingLine& line) override;
    void dropRows() override;

    RecordingContents contents_;
    QByteArray lastStatus_;
    QString lastStatusText_;
};

// Hands each whole line of `text` to the parser; a last line without its line end is a row
// torn by a crash and is left out.
void addRecordingText(QByteArrayView text, RecordingLineParser& parser);

// Reads any bytes without crashing; stops at the first fault. A last line without its line end
// is a row torn by a crash and is left out.
RecordingContents parseRecording(QByteArrayView text);

}  // namespace quillmark
