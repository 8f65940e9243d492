// Opens a recording file for the chart and playback.
#pragma once

#include "realtime/recording/RecordingFormat.h"

namespace quillmark {

// The file's rows, or what is wrong with it; read a line at a time, so any length opens.
RecordingContents readRecordingFile(const QString& path);

// The text of the message for a file that is not a good recording.
QString recordingProblemText(const QString& path, const RecordingContents& contents);

}  // namespace quillmark
