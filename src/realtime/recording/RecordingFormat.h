// The recording file's text: one header row, then one comma-separated row per tick, numbers
// always with '.', LF line ends. Writing and strict reading of that text.
#pragma once

#include "realtime/recording/RecordingRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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

// The shortest decimal text that reads back as the same single, never in the user's locale.
QByteArray shortestFloatText(float value);

// The header or a row, with its line end.
QByteArray recordingHeaderLine();
QByteArray recordingRowLine(const RecordingRow& row);

// The answers column: "2F:AA36 22:AA78".
QByteArray answersText(const std::vector<RecordedAnswer>& answers);
// The marker column: its number, then a space and its text when it has one ("3 hill start").
QString markerCellText(const RecordingMarker& marker);

struct RecordingContents {
    std::vector<RecordingRow> rows;
    qsizetype errorLine = 0;  // 1-based; 0 when the text is a good recording
    QString error;            // what is wrong on that line

    bool ok() const { return error.isEmpty(); }
};

// Reads a recording a line at a time, so a file of any length is read in memory proportional
// to its rows. Takes any bytes without crashing and stops at the first fault.
class RecordingParser {
public:
    // One line without its line end (a CR before it is dropped here). False once the text is
    // known not to be a good recording; later lines are then ignored.
    bool addLine(QByteArrayView line);
    // A line longer than kMaxRecordingLine, which the caller need not keep.
    bool addOverlongLine();
    // The rows, or the fault; call once, after the last whole line.
    RecordingContents finish();

private:
    bool fail(QString what);
    bool failOverlong();

    RecordingContents contents_;
    std::vector<QByteArray> fields_;
    qsizetype lineNumber_ = 0;
    qsizetype firstBlankLine_ = 0;
    int columns_ =
        kRecordingColumns;  // as the header says  // of the blank lines not yet followed by a row
};

// Reads any bytes without crashing; stops at the first fault. A last line without its line end
// is a row torn by a crash and is left out.
RecordingContents parseRecording(QByteArrayView text);

}  // namespace quillmark
