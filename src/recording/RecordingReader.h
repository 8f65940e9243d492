// Opens a recording file for the chart and playback.
#pragma once

#include "recording/RecordingFormat.h"

namespace quillmark {

// The file's rows, or what is wrong with it; read a line at a time, so any length opens.
RecordingContents readRecordingFile(const QString& path);

// Hands every whole line of the file to `parser`, until the parser finds a fault; the last line
// without its line end is a row torn by a crash and is left out. Empty, or why the file could
// not be read.
QString readRecordingLines(const QString& path, RecordingLineParser& parser);

// The text of the message for a file that is not a good recording.
QString recordingProblemText(const QString& path, qsizetype errorLine, const QString& error);
QString recordingProblemText(const QString& path, const RecordingContents& contents);

}  // namespace quillmark
