// One flat JSON object written key by key, numbers as the recording file writes them: a sample's
// value reads back as the same single it was, never in the user's locale, and the object costs
// one buffer a sample.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillmark {

class JsonText {
public:
    JsonText() { text_.reserve(320); }

    void add(const char* key, const QString& text);
    void add(const char* key, const std::optional<QString>& text);  // null when empty
    // The shortest text that reads back as the same single; null when there is none.
    void add(const char* key, std::optional<float> value);
    // Seconds with milliseconds, as the file's first column.
    void addSeconds(const char* key, double seconds);

    // The object, closed.
    QByteArray finished() const { return text_ + '}'; }

private:
    void key(const char* key);
    void string(const QString& text);

    QByteArray text_{"{"};
};

}  // namespace quillmark
