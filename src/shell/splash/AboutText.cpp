// The About box's text.
#include "shell/splash/AboutText.h"

namespace quillmark {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

}  // namespace

QString copyrightNotice() {
    return QStringLiteral("Copyright \u00A9 Halverd LLC");
}

QString AboutText(const QStringList& aboutLines) {
    const QString product = QString::fromLatin1(kAboutProductText);
    // Without a company name the product text stands alone rather than after a stray blank.
    QString text = aboutLines.isEmpty() ? product : aboutLines.first() + u' ' + product;
    text += kLineEnd + copyrightNotice() + kLineEnd + kLineEnd;
    for (qsizetype i = 1; i < aboutLines.size(); ++i) {
        text += aboutLines.at(i) + kLineEnd;
    }
    return text;
}

}  // namespace quillmark
