#include "recording/CsvText.h"

#include <cstring>

namespace quillmark {

QByteArray csvField(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') &&
        !utf8.contains('\r')) {
        return utf8;
    }
    utf8.replace("\"", "\"\"");
    return '"' + utf8 + '"';
}

bool splitCsv(QByteArrayView line, std::vector<QByteArrayView>& fields,
              std::vector<QByteArray>& unescaped) {
    fields.clear();
    unescaped.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        if (i < n && line[i] == '"') {
            const qsizetype start = ++i;
            bool doubled = false;
            while (true) {
                if (i >= n) {
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            const QByteArrayView quoted = line.sliced(start, i - start);
            ++i;  // the closing quote
            if (i < n && line[i] != ',') {
                return false;
            }
            if (doubled) {
                // The bytes stay where they are when the vector grows: views stay good.
                unescaped.push_back(quoted.toByteArray().replace("\"\"", "\""));
                fields.emplace_back(unescaped.back());
            } else {
                fields.push_back(quoted);
            }
        } else {
            // A day of fast polling is millions of rows: the field's end is searched for, not
            // stepped to.
            const qsizetype start = i;
            const void* comma = std::memchr(line.data() + start, ',', std::size_t(n - start));
            i = comma != nullptr ? static_cast<const char*>(comma) - line.data() : n;
            if (std::memchr(line.data() + start, '"', std::size_t(i - start)) != nullptr) {
                return false;
            }
            fields.push_back(line.sliced(start, i - start));
        }
        if (i >= n) {
            return true;
        }
        ++i;  // the comma
    }
}

}  // namespace quillmark
