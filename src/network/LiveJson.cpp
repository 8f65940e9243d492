#include "network/LiveJson.h"

#include "network/JsonText.h"
#include "network/LiveKeys.h"
#include "recording/RecordingRow.h"

namespace quillmark {

QByteArray liveSampleJson(const RecordingRow& sample, double seconds) {
    JsonText json;
    json.add("time", sample.clock);
    json.addSeconds("t", seconds);
    json.add("status", sample.status);
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        json.add(kLiveKeys[i].key, sample.values[i]);
    }
    if (sample.marker) {
        json.add("marker", sample.marker->text);
    }
    return json.finished();
}

}  // namespace quillmark
