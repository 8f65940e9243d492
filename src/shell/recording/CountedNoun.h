// A count with its noun for the recording entries' boxes.
#pragma once

#include <QLatin1StringView>
#include <QString>

namespace quillmark {

// "1 row", "2 rows": the noun takes an s for every count but one.
inline QString countedNoun(long count, QLatin1StringView noun) {
    return QStringLiteral("%1 %2%3").arg(count).arg(noun, QLatin1StringView(count == 1 ? "" : "s"));
}

}  // namespace quillmark
