// Font names the windows were designed with, mapped to fonts this system has.
#include "platform/widgets/QtFonts.h"

#include <QFont>
#include <QStringList>

#include <array>

namespace quillmark {

namespace {

// Metric-compatible with the designed fonts, so captions fit the boxes laid out for them.
constexpr std::array kDesignedFamilies{"MS Sans Serif", "System", "Arial"};
constexpr std::array kSubstitutes{"Liberation Sans", "Arimo"};

}  // namespace

void installFontSubstitutes() {
    QStringList substitutes;
    for (const char* family : kSubstitutes) {
        substitutes.append(QString::fromLatin1(family));
    }
    for (const char* family : kDesignedFamilies) {
        QFont::insertSubstitutions(QString::fromLatin1(family), substitutes);
    }
}

}  // namespace quillmark
