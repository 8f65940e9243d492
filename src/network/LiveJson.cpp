#include "network/LiveJson.h"

#include "analysis/AlarmMonitor.h"
#include "engine/Quantities.h"
#include "network/JsonText.h"
#include "recording/RecordingRow.h"
#include "recording/TickRows.h"

namespace quillmark {

QByteArray liveSampleJson(const RecordingRow& sample, double seconds) {
    JsonText json;
    json.add("time", sample.clock);
    json.addSeconds("t", seconds);
    json.add("status", sample.status);
    for (const QuantityFacts& facts : kQuantities) {
        json.add(facts.key, sample.value(facts.quantity));
    }
    if (sample.marker) {
        json.add("marker", sample.marker->text);
    }
    return json.finished();
}

std::optional<QByteArray> liveMarkerJson(const RecordingRow& sample, double seconds) {
    if (!sample.marker) {
        return std::nullopt;
    }
    JsonText json;
    json.add("time", sample.clock);
    json.addSeconds("t", seconds);
    json.add("text", sample.marker->text);
    return json.finished();
}

QByteArray alarmJson(const AlarmEvent& alarm) {
    JsonText json;
    json.add("time", clockText(alarm.when));
    json.add("quantity", QString::fromLatin1(factsOf(alarm.quantity).key));
    json.add("side", alarm.side == AlarmSide::Low ? QStringLiteral("low") : QStringLiteral("high"));
    json.add("value", std::optional<float>(float(alarm.value)));
    json.addNumber("limit", alarm.limit);
    json.add("text", alarm.what());
    return json.finished();
}

}  // namespace quillmark
