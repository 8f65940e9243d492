#include "network/LiveJson.h"

#include "analysis/AlarmMonitor.h"
#include "engine/Quantities.h"
#include "engine/Sample.h"
#include "network/JsonText.h"
#include "recording/RecordingRow.h"

#include <QStringList>

namespace quillmark {

QByteArray liveSampleJson(const Sample& sample, double seconds) {
    JsonText json;
    json.add("time", clockText(sample.clock));
    json.addSeconds("t", seconds);
    json.add("status", statusOnOneLine(sample.status));
    for (const QuantityFacts& facts : kQuantities) {
        json.add(facts.key, sample.value(facts.quantity));
    }
    if (!sample.markers.empty()) {
        // A signal's marker and an alarm's may share a sample.
        QStringList notes;
        for (const Marker& marker : sample.markers) {
            notes << marker.text;
        }
        json.add("marker", notes.join(QStringLiteral(" / ")));
    }
    return json.finished();
}

std::vector<QByteArray> liveMarkersJson(const Sample& sample, double seconds) {
    std::vector<QByteArray> objects;
    for (const Marker& marker : sample.markers) {
        JsonText json;
        json.add("time", clockText(sample.clock));
        json.addSeconds("t", seconds);
        json.add("kind", marker.kind == MarkerKind::Alarm ? QStringLiteral("alarm")
                                                          : QStringLiteral("user"));
        json.add("text", marker.text);
        objects.push_back(json.finished());
    }
    return objects;
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
