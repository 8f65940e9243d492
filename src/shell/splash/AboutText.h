// The About box's text, built from the branding file's About lines.
#pragma once

#include <QString>
#include <QStringList>

namespace quillmark {

inline constexpr char kAboutProductText[] = "Corvane Data Logging Program Revision 3.00";

// Shown on the splash window and as the About box's second line.
QString copyrightNotice();

// Built afresh on every call; an empty list still gives a usable text.
QString AboutText(const QStringList& aboutLines);

}  // namespace quillmark
