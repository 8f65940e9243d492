// The JSON objects a subscriber or a web page reads while the logger runs, one per sample;
// the web dashboard's live messages and the MQTT topics carry the same.
#pragma once

#include <QByteArray>

namespace quillmark {

struct RecordingRow;

// {"time": the Clock column's text, "t": seconds, "status": the status text, then one key per
// quantity in the file's column order ("engine_speed_rpm": 2000, ... null for a failed read),
// and "marker": its note on a marked sample}.
QByteArray liveSampleJson(const RecordingRow& sample, double seconds);

}  // namespace quillmark
