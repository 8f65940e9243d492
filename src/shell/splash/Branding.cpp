// Reading the branding file and interpreting its splash items.
#include "shell/splash/Branding.h"

#include <QDir>
#include <QStringDecoder>

namespace quillmark {

namespace {

// Editors put a byte-order mark in front of UTF-8 text; it is no part of the first line.
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

QString decodeBrandingText(QByteArrayView bytes) {
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        bytes = bytes.sliced(3);
    }
#ifdef Q_OS_WIN
    // Branding files are written in the machine's ANSI code page.
    return QString::fromLocal8Bit(bytes);
#else
    // Linux editors write UTF-8; an older file in Latin-1 is never valid UTF-8 once it holds a
    // byte above 127, so each byte then stays one character instead of a replacement mark.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return QString::fromLatin1(bytes);
    }
    return text;
#endif
}

bool isMarkLine(const QString& line) {
    return line.startsWith(QLatin1Char('!'));
}

template <std::size_t N>
QStringList toList(const std::array<const char*, N>& table) {
    QStringList list;
    for (const char* text : table) {
        list.append(QString::fromLatin1(text));
    }
    return list;
}

}  // namespace

QStringList defaultSplashItems() {
    return toList(kDefaultSplashItems);
}

QStringList defaultAboutLines() {
    return toList(kDefaultAboutLines);
}

QStringList splitBrandingLines(const QByteArray& bytes) {
    const QString text = decodeBrandingText(bytes);
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const bool terminated = end >= 0;
        if (!terminated) {
            end = text.size();
        }
        qsizetype textEnd = end;
        if (terminated && textEnd > start && text.at(textEnd - 1) == QLatin1Char('\r')) {
            --textEnd;
        }
        lines.append(text.mid(start, textEnd - start));
        start = end + 1;
    }
    return lines;
}

BrandingContents readBranding(const QByteArray& bytes) {
    const QStringList lines = splitBrandingLines(bytes);
    BrandingContents contents;
    qsizetype next = 0;
    while (next < lines.size() && isMarkLine(lines.at(next))) {
        ++next;
    }
    if (next == lines.size()) {
        contents.pastEnd = BrandingPastEnd::BeforeFirstItem;
        return contents;
    }
    while (next < lines.size() && !isMarkLine(lines.at(next))) {
        contents.splashItems.append(lines.at(next));
        ++next;
    }
    if (next == lines.size()) {
        contents.pastEnd = BrandingPastEnd::BeforeSeparator;
        return contents;
    }
    contents.aboutLines = lines.mid(next + 1);
    return contents;
}

double leadingNumber(const QString& text) {
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size && (text.at(pos) == QLatin1Char(' ') || text.at(pos) == QLatin1Char('\t'))) {
        ++pos;
    }
    const qsizetype begin = pos;
    if (pos < size && (text.at(pos) == QLatin1Char('+') || text.at(pos) == QLatin1Char('-'))) {
        ++pos;
    }
    const auto isDigit = [&](qsizetype at) {
        return at < size && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9');
    };
    qsizetype digits = 0;
    while (isDigit(pos)) {
        ++pos;
        ++digits;
    }
    if (pos < size && text.at(pos) == QLatin1Char('.')) {
        ++pos;
        while (isDigit(pos)) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    // toDouble is locale-independent, so "12.5" means the same on every machine.
    return QStringView(text).mid(begin, pos - begin).toDouble();
}

double companyFontSize(const QString& sizeText) {
    const double size = leadingNumber(sizeText);
    if (!(size > 0.0) || size > kLargestCompanyFontSize) {
        return kDesignCompanyFontSize;
    }
    return size;
}

bool styleWantsBold(const QString& styleText) {
    return styleText.contains(QLatin1String("bold"), Qt::CaseInsensitive);
}

bool styleWantsItalic(const QString& styleText) {
    return styleText.contains(QLatin1String("italic"), Qt::CaseInsensitive);
}

std::optional<QString> logoPath(const QString& programDirectory, const QString& logoName) {
    if (logoName.toUpper() == QLatin1String("NULL")) {
        return std::nullopt;
    }
    return programDirectory + QDir::separator() + logoName;
}

}  // namespace quillmark
