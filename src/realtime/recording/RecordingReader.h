// Opens a recording file for the chart and playback.
#pragma once

#include "realtime/recording/RecordingFormat.h"

namespace quillmark {

// The file's rows, or what is wrong with it; a file too large is refused before it is read.
RecordingContents readRecordingFile(const QString& path);

// The text of the message for a file that is not a good recording.
QString recordingProblemText(const QString& path, const RecordingContents& contents);

}  // namespace quillmark
