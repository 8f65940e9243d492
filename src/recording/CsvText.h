// The comma-separated text of a recording: a field quoted where it must be, and a line split
// back into its fields.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace quillmark {

// The field as written: quoted, with quotes doubled, where it holds a comma, a quote or a line
// end; otherwise as it is.
QByteArray csvField(const QString& text);

// Splits one line into fields, honouring quotes; false when a quote is left open or a quoted
// field runs into other text. A field is a view into the line, or into `unescaped` where a
// quoted field held doubled quotes.
bool splitCsv(QByteArrayView line, std::vector<QByteArrayView>& fields,
              std::vector<QByteArray>& unescaped);

}  // namespace quillmark
