#include "platform/SettingsFile.h"

#include "platform/ErrorRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace quillmark {

namespace {

const QString kErrorSource = QStringLiteral("Settings");
const QByteArray kGeneralSection = "General";

bool isComment(const QByteArray& trimmed) {
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

std::optional<QByteArray> sectionOf(const QByteArray& trimmed) {
    if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    }
    return std::nullopt;
}

// The section a line opens for the reader (QSettings): any line that starts with '[' does,
// named up to its first ']' or to its end. Entries must be placed where the reader looks for
// them, so a broken header like "[Ports" ends the section before it here as well.
std::optional<QByteArray> readerSectionOf(const QByteArray& trimmed) {
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(']');
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

// The reader unquotes "..." and its backslash escapes; plain names and paths need neither.
QByteArray escapedValue(const QString& value) {
    QByteArray utf8 = value.toUtf8();
    const bool plain = std::all_of(utf8.begin(), utf8.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               QByteArrayView("/._+:@-").contains(c);
    });
    if (plain) {
        return utf8;
    }
    QByteArray quoted = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

IniLines::IniLines(const QByteArray& text) {
    if (text.contains("\r\n")) {
        lineEnd_ = "\r\n";
    }
    lines_ = text.split('\n');
    endsWithLineEnd_ = text.isEmpty() || text.endsWith('\n');
    if (endsWithLineEnd_) {
        lines_.removeLast();  // what follows the last line break is no line
    }
    // A CR belongs to the line end only where a line feed follows it; one left at the very end
    // of a file without a final line end is the user's and is written back.
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const bool terminated = endsWithLineEnd_ || i + 1 < lines_.size();
        if (terminated && lines_[i].endsWith('\r')) {
            lines_[i].chop(1);
        }
    }
}

IniLines::Found IniLines::find(const QString& section, const QString& key) const {
    const QByteArray wantedSection = section.toUtf8();
    const QByteArray wantedKey = key.toUtf8();
    Found found;
    QByteArray current = kGeneralSection;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QByteArray trimmed = lines_.at(i).trimmed();
        if (const auto name = readerSectionOf(trimmed)) {
            current = *name;
            if (current == wantedSection) {
                found.sectionEnd = i + 1;
            }
            continue;
        }
        if (current != wantedSection || trimmed.isEmpty()) {
            continue;
        }
        // A new entry goes after the section's last line that is not blank.
        found.sectionEnd = i + 1;
        const qsizetype equals = trimmed.indexOf('=');
        if (found.entry < 0 && !isComment(trimmed) && equals > 0 &&
            trimmed.left(equals).trimmed() == wantedKey) {
            found.entry = i;
        }
    }
    return found;
}

void IniLines::setValue(const QString& section, const QString& key, const QString& value) {
    const QByteArray line = key.toUtf8() + '=' + escapedValue(value);
    const Found found = find(section, key);
    if (found.entry >= 0) {
        lines_[found.entry] = line;
    } else if (found.sectionEnd >= 0) {
        lines_.insert(found.sectionEnd, line);
    } else {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) {
            lines_.append(QByteArray());
        }
        lines_.append('[' + section.toUtf8() + ']');
        lines_.append(line);
        endsWithLineEnd_ = true;
    }
}

bool IniLines::remove(const QString& section, const QString& key) {
    const Found found = find(section, key);
    if (found.entry < 0) {
        return false;
    }
    lines_.removeAt(found.entry);
    return true;
}

QByteArray IniLines::text() const {
    QByteArray text = lines_.join(lineEnd_);
    if (endsWithLineEnd_ && !lines_.isEmpty()) {
        text += lineEnd_;
    }
    return text;
}

QList<IniLines::Unreadable> IniLines::unreadableLines() const {
    QList<Unreadable> unreadable;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QByteArray trimmed = lines_.at(i).trimmed();
        if (trimmed.isEmpty() || isComment(trimmed) || sectionOf(trimmed) ||
            trimmed.indexOf('=') > 0) {
            continue;
        }
        unreadable.append({static_cast<int>(i + 1), QString::fromUtf8(lines_.at(i))});
    }
    return unreadable;
}

std::optional<QByteArray> SettingsFile::readText() const {
    // A link to a file not made yet (a settings file kept with the user's other dotfiles)
    // holds nothing yet, as a missing file does; the first save makes the file it leads to.
    if (const QFileInfo link(path_); link.isSymLink() && !QFileInfo(link.symLinkTarget()).exists()) {
        return std::nullopt;
    }
    QFile file(path_);
    if (!file.exists()) {
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw RaisedError::platform(kErrorSource,
                                    QStringLiteral("Could not read the settings file %1: %2")
                                        .arg(QDir::toNativeSeparators(path_), file.errorString()));
    }
    return file.readAll();
}

void SettingsFile::writeText(const QByteArray& text) const {
    // Written through a link, to where it leads; a link into a folder that is not there is
    // named as such, not as a failure of some file the user never sees.
    if (const QFileInfo link(path_); link.isSymLink()) {
        const QFileInfo target(link.symLinkTarget());
        if (!target.exists() && !target.absoluteDir().exists()) {
            throw RaisedError::platform(
                kErrorSource,
                QStringLiteral("Could not write the settings file %1: it is a link to %2, which "
                               "does not exist. Create the folder %3, or remove the link.")
                    .arg(QDir::toNativeSeparators(path_),
                         QDir::toNativeSeparators(target.filePath()),
                         QDir::toNativeSeparators(target.absolutePath())));
        }
    }
    QSaveFile file(path_);
    // A small text sits in the write buffer until commit(), whose own flush does not fail the
    // commit: on a full disk it would put an empty file in place of the user's. Flushing first
    // catches that, and the destructor then throws the temporary file away.
    const bool written = QDir().mkpath(QFileInfo(path_).absolutePath()) &&
                         file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
                         file.flush() && file.commit();
    if (!written) {
        throw RaisedError::platform(kErrorSource,
                                    QStringLiteral("Could not write the settings file %1: %2")
                                        .arg(QDir::toNativeSeparators(path_), file.errorString()));
    }
}

void SettingsFile::setValue(const QString& section, const QString& key,
                            const QString& value) const {
    IniLines lines(readText().value_or(QByteArray()));
    lines.setValue(section, key, value);
    writeText(lines.text());
}

void SettingsFile::remove(const QString& section, const QString& key) const {
    const std::optional<QByteArray> text = readText();
    if (!text) {
        return;
    }
    IniLines lines(*text);
    if (lines.remove(section, key)) {
        writeText(lines.text());
    }
}

QString SettingsFile::unreadableLinesMessage() const {
    std::optional<QByteArray> text;
    try {
        text = readText();
    } catch (const RaisedError&) {
        return {};  // an unreadable file is reported where a value is needed from it
    }
    if (!text) {
        return {};
    }
    QStringList described;
    for (const auto& line : IniLines(*text).unreadableLines()) {
        described.append(QStringLiteral("Line %1 of %2 is not understood and is ignored: %3")
                             .arg(line.lineNumber)
                             .arg(QDir::toNativeSeparators(path_), line.text));
    }
    if (described.isEmpty()) {
        return {};
    }
    described.append(
        QStringLiteral("Write each setting as Name=Value below its [Section] line, for example "
                       "Com6=/dev/ttyUSB1 below [Ports], then start Quillmark again."));
    return described.join(QStringLiteral("\r\n"));
}

}  // namespace quillmark
