// The branding file reader on any bytes: it must keep what it read in order and never lose a
// line between the two sections.
#include "FuzzRequire.h"
#include "shell/splash/Branding.h"

#include <QDir>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace quillmark;

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = splitBrandingLines(bytes);
    const BrandingContents contents = readBranding(bytes);

    // Items and About lines are lines of the file, in the file's order.
    require(contents.splashItems.size() + contents.aboutLines.size() <= lines.size());
    if (contents.pastEnd == BrandingPastEnd::None) {
        require(!contents.splashItems.isEmpty());
        require(lines.mid(lines.size() - contents.aboutLines.size()) == contents.aboutLines);
    } else {
        require(contents.aboutLines.isEmpty());
    }
    if (contents.pastEnd == BrandingPastEnd::BeforeFirstItem) {
        require(contents.splashItems.isEmpty());
    }

    for (const QString& item : contents.splashItems) {
        // A number too long for a double reads as infinity; the label keeps its design size
        // for it as for any size no font can take. Whatever the number, a usable one is kept.
        const double number = leadingNumber(item);
        require(!std::isnan(number));
        const bool usable = number > 0 && number <= kLargestCompanyFontSize;
        require(companyFontSize(item) == (usable ? number : kDesignCompanyFontSize));
        styleWantsBold(item);
        styleWantsItalic(item);
        if (const auto path = logoPath(QStringLiteral("/opt/quillmark"), item)) {
            require(!path->isEmpty());
        }
    }
    return 0;
}
