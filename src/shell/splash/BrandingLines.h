// The branding file's lines as the splash read them; the About box shows the second section.
#pragma once

#include <QStringList>

namespace quillmark {

struct BrandingLines {
    QStringList SplashItems;  // first section (index 0 is item 1)
    QStringList AboutLines;   // second section (index 0 is line 1)
};

}  // namespace quillmark
