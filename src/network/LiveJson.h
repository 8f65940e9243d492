// The JSON objects a subscriber or a web page reads while the logger runs, one per sample,
// marker and alarm; the web dashboard's live messages and the MQTT topics carry the same.
#pragma once

#include <QByteArray>

#include <vector>

namespace quillmark {

struct AlarmEvent;
struct Sample;

// {"time": the Clock column's text, "t": `seconds`, "status": the status text, then one key per
// quantity in the file's column order ("engine_speed_rpm": 2000, ... null for a failed read),
// and "marker": the notes of its markers, on a marked sample}.
QByteArray liveSampleJson(const Sample& sample, double seconds);
// {"time", "t", "kind": "user" or "alarm", "text"} for each marker of the sample.
std::vector<QByteArray> liveMarkersJson(const Sample& sample, double seconds);
// {"time", "quantity": its key, "side": "low" or "high", "value", "limit", "text": the alarm's
// line without its time}.
QByteArray alarmJson(const AlarmEvent& alarm);

}  // namespace quillmark
