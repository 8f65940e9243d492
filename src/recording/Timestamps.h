// The timestamp of a row, in the file's Clock column: the local date and time the tick was
// read, as ISO 8601 with milliseconds and the offset from UTC.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillmark {

// A date and time the reader accepts: the program's own form, or any other ISO 8601 form.
bool isTimestampText(QByteArrayView text);

// A timestamp in the form the program writes as one number that gives the same text back: a
// day of rows keeps eight bytes a row for it rather than a string. None for any other form.
std::optional<std::int64_t> packTimestamp(QByteArrayView text);
QString unpackTimestamp(std::int64_t packed);

}  // namespace quillmark
