// Numbers in a recording's text: always with '.', never in the user's locale, read back
// exactly as written.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quillmark {

// The shortest decimal text that reads back as the same single.
QByteArray shortestFloatText(float value);

// The whole of `text` as a number of the type (int, float or double); false for anything else,
// an empty text included.
template <typename T>
bool parseNumber(QByteArrayView text, T& out);

extern template bool parseNumber<int>(QByteArrayView, int&);
extern template bool parseNumber<float>(QByteArrayView, float&);
extern template bool parseNumber<double>(QByteArrayView, double&);

}  // namespace quillmark
