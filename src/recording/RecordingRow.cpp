#include "recording/RecordingRow.h"

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
        text += c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                        c == QChar::ParagraphSeparator
                    ? QChar(u' ')
                    : c;
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

}  // namespace quillmark
