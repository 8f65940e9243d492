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
    "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers";
inline constexpr int kRecordingColumns = 13;

// Limits that keep a reader responsive whatever file it is handed; an hour of polling is about
// 1.5 MB, so these leave room for days.
inline constexpr qint64 kMaxRecordingMegabytes = 64;
inline constexpr qint64 kMaxRecordingBytes = kMaxRecordingMegabytes * 1024 * 1024;
inline constexpr qsizetype kMaxRecordingLine = 4096;

// The shortest decimal text that reads back as the same single, never in the user's locale.
QByteArray shortestFloatText(float value);

// The header or a row, with its line end.
QByteArray recordingHeaderLine();
QByteArray recordingRowLine(const RecordingRow& row);

// The answers column: "2F:AA36 22:AA78".
QByteArray answersText(const std::vector<RecordedAnswer>& answers);

struct RecordingContents {
    std::vector<RecordingRow> rows;
    qsizetype errorLine = 0;  // 1-based; 0 when the text is a good recording
    QString error;            // what is wrong on that line

    bool ok() const { return error.isEmpty(); }
};

// Reads any bytes without crashing; stops at the first fault. A last line without its line end
// is a row torn by a crash and is left out.
RecordingContents parseRecording(QByteArrayView text);

}  // namespace quillmark
