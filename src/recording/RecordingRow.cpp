#include "recording/RecordingRow.h"

#include "engine/StatusText.h"

namespace quillmark {

int recordedValueIndex(Quantity quantity) {
    const auto index = quantityIndex(quantity);
    return index ? static_cast<int>(*index) : -1;
}

std::optional<float> RecordingRow::value(Quantity quantity) const {
    const int index = recordedValueIndex(quantity);
    return index < 0 ? std::nullopt : values[static_cast<std::size_t>(index)];
}

void RecordingRow::setValue(Quantity quantity, float value) {
    const int index = recordedValueIndex(quantity);
    if (index >= 0) {
        values[static_cast<std::size_t>(index)] = value;
    }
}

QString markerText(const QString& typed) {
    QString text;
    text.reserve(typed.size());
    for (const QChar c : typed) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            text += QChar(u' ');
        } else {
            text += c == QChar(u'|') ? QChar(u'/') : c;
        }
    }
    text = text.simplified();
    if (text.size() > kMaxMarkerText) {
        text.truncate(kMaxMarkerText);
        // A cut must not leave half of a surrogate pair.
        if (text.back().isHighSurrogate()) {
            text.chop(1);
        }
        text = text.trimmed();
    }
    return text;
}

QByteArray RecordingRow::answerTo(std::uint8_t command) const {
    for (const auto& answer : answers) {
        if (answer.command == command) {
            return answer.bytes;
        }
    }
    return {};
}

QString statusOnOneLine(int statusRaw) {
    return statusText(static_cast<std::int16_t>(statusRaw))
        .replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
}

QString clockText(const QDateTime& localTime) {
    return localTime.toOffsetFromUtc(localTime.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

RecordingRow recordingRow(const Sample& sample) {
    RecordingRow row;
    row.seconds = sample.seconds;
    row.clock = clockText(sample.clock);
    row.statusRaw = sample.status;
    row.status = statusOnOneLine(sample.status);
    row.values = sample.values;
    row.answers = sample.answers;
    row.markers = sample.markers;
    return row;
}

}  // namespace quillmark
