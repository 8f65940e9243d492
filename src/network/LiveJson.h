// The JSON objects a subscriber or a web page reads while the logger runs, one per sample,
// marker and alarm; the web dashboard's live messages and the MQTT topics carry the same.
#pragma once

#include <QByteArray>

#include <optional>

namespace quillmark {

struct AlarmEvent;
struct RecordingRow;

// {"time": the Clock column's text, "t": seconds, "status": the status text, then one key per
// quantity in the file's column order ("engine_speed_rpm": 2000, ... null for a failed read),
// and "marker": its note on a marked sample}.
QByteArray liveSampleJson(const RecordingRow& sample, double seconds);
// {"time", "t", "text"} for a marked sample; none for any other.
std::optional<QByteArray> liveMarkerJson(const RecordingRow& sample, double seconds);
// {"time", "quantity": its key, "side": "low" or "high", "value", "limit", "text": the alarm's
// line without its time}.
QByteArray alarmJson(const AlarmEvent& alarm);

}  // namespace quillmark
