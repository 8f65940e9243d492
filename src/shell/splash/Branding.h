// The branding file beside the program: splash items, About lines and what the items mean.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quillmark {

inline constexpr char kBrandingFileName[] = "Quillmark.cfg";
inline constexpr char kPastEndDescription[] = "Input past end of file";

// Used as a whole, and only when the branding file does not exist.
inline constexpr std::array<const char*, 5> kDefaultSplashItems{"Halverd", "Arial", "48",
                                                                "bold italic", "Halverd_Logo.gif"};
inline constexpr std::array<const char*, 6> kDefaultAboutLines{
    "Halverd",
    "Halverd LLC",
    "2180 Quarry Mill Road",
    "Fernhollow, OR 97999",
    "Phone: (555) 014-2768",
    "www.halverd.example",
};

// What each splash item is for, by 1-based position; used when a position is missing.
inline constexpr std::array<const char*, 5> kSplashItemRoles{
    "company name", "font face name", "font size", "font style", "logo picture file name"};

QStringList defaultSplashItems();
QStringList defaultAboutLines();

// Where reading ran past the end of the file, if it did.
enum class BrandingPastEnd {
    None,
    BeforeFirstItem,  // nothing but comment lines
    BeforeSeparator,  // section 1 never ended
};

struct BrandingContents {
    QStringList splashItems;
    QStringList aboutLines;
    BrandingPastEnd pastEnd = BrandingPastEnd::None;
};

// Lines end at CR LF, at LF alone or at the end of the bytes; a lone CR stays in the line.
QStringList splitBrandingLines(const QByteArray& bytes);

// Splits the file at its first "!" line after the splash items. Whatever was read before
// running past the end is kept, so a caller can show what the file did set up.
BrandingContents readBranding(const QByteArray& bytes);

// The number a text starts with (blanks, a sign and a fraction allowed); 0 when it starts
// with anything else. "12abc" gives 12.
double leadingNumber(const QString& text);

inline constexpr double kDesignCompanyFontSize = 48.0;
inline constexpr double kLargestCompanyFontSize = 1000.0;
// Sizes that no font can take fall back to the label's design size.
double companyFontSize(const QString& sizeText);

bool styleWantsBold(const QString& styleText);
bool styleWantsItalic(const QString& styleText);

// The logo's full path, or nothing when the name means "no logo".
std::optional<QString> logoPath(const QString& programDirectory, const QString& logoName);

}  // namespace quillmark
