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
#include <vector>

namespace quillmark {

inline constexpr const char* kRecordingHeader =
    "Time (s),Clock,Status (raw),Status,Engine speed (rpm),Throttle (%),Fuel front (%),"
    "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers,"
    "Marker";
inline constexpr int kRecordingColumns = 14;
// Files recorded before markers existed end with the Answers column; they still open.
inline constexpr const char* kRecordingHeaderWithoutMarker =
    "Time (s),Clock,Status (raw),Status,Engine speed (rpm),Throttle (%),Fuel front (%),"
    "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers";

// No row of ours comes near this; a longer line is not a recording's, and the limit keeps a
// reader's memory bounded whatever file it is handed.
inline constexpr qsizetype kMaxRecordingLine = 4096;
// Ten years: beyond that a time is not one a recording can hold, and the chart and playback
// would only be asked to lay out a span that means nothing.
inline constexpr double kMaxRecordingSeconds = 10 * 365.25 * 86400;

// The header or a row, with its line end.
QByteArray recordingHeaderLine();
QByteArray recordingRowLine(const RecordingRow& row);

// The marker column: its number, then a space and its text when it has one ("3 hill start").
QString markerCellText(const RecordingMarker& marker);

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
    std::optional<std::int64_t> packedClock;  // packTimestamp's number, when the clock packs
    std::optional<int> statusRaw;
    QByteArrayView status;
    std::array<float, kRecordedValues.size()> values{};  // NaN for an empty cell
    QByteArrayView answers;                              // checked: command and answer in hex
    int markerNumber = 0;                                // 0 for a row without a marker
    QByteArrayView markerText;
    qsizetype bytes = 0;  // the line's length, its line end left out
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
