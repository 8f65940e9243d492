// The per-user settings file on Linux, edited one entry at a time so that the user's own lines
// (comments, the port mapping, lines the program does not understand) stay as they were.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>

namespace quillmark {

// An INI text held line by line, as bytes: a line in an encoding the program does not expect
// is kept byte for byte.
class IniLines final {
public:
    explicit IniLines(const QByteArray& text);

    // Replaces the entry's value in place, or adds it at the end of its section (a new section
    // at the end of the text when there is none). Entries before any section are in "General".
    void setValue(const QString& section, const QString& key, const QString& value);
    // Removes the entry's line; false when there was none.
    bool remove(const QString& section, const QString& key);
    QByteArray text() const;

    struct Unreadable {
        int lineNumber = 0;  // 1-based
        QString text;
    };
    // Lines that are neither blank, a comment, a [section] nor a name=value entry.
    QList<Unreadable> unreadableLines() const;

private:
    // Index of the entry's line, and the index after the last line of its section; -1 where
    // there is no such line or section.
    struct Found {
        qsizetype entry = -1;
        qsizetype sectionEnd = -1;
    };
    Found find(const QString& section, const QString& key) const;

    QByteArrayList lines_;
    QByteArray lineEnd_ = "\n";
    bool endsWithLineEnd_ = true;
};

// Reads, edits and rewrites one settings file; the file is replaced as a whole only once the
// new text is safely written. Each change throws RaisedError naming the file when reading or
// writing it fails.
class SettingsFile final {
public:
    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    void setValue(const QString& section, const QString& key, const QString& value) const;
    void remove(const QString& section, const QString& key) const;
    // What the user should know about lines the program cannot understand; empty when every
    // line is understood or there is no file.
    QString unreadableLinesMessage() const;

    const QString& path() const { return path_; }

private:
    std::optional<QByteArray> readText() const;
    void writeText(const QByteArray& text) const;

    QString path_;
};

}  // namespace quillmark
