// Files, help viewer and program end that remember what was asked of them.
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/Files.h"
#include "platform/HelpViewer.h"
#include "platform/ProgramEnd.h"

#include <QMap>
#include <QStringList>

namespace quillmark::test {

class FakeFiles final : public Files {
public:
    QString directory = QStringLiteral("/opt/quillmark");
    QMap<QString, QByteArray> contents;
    QString currentDirectory;
    bool failChangingDirectory = false;

    QString programDirectory() const override { return directory; }
    bool exists(const QString& path) const override { return contents.contains(path); }
    QByteArray readAll(const QString& path) const override {
        if (!contents.contains(path)) {
            throw RaisedError::platform(QStringLiteral("Files"), path + " cannot be read");
        }
        return contents.value(path);
    }
    void setCurrentDirectory(const QString& path) override {
        if (failChangingDirectory) {
            throw RaisedError::platform(QStringLiteral("Files"), "Path not found: " + path);
        }
        currentDirectory = path;
    }
};

class SpyHelpViewer final : public HelpViewer {
public:
    QStringList opened;
    void openContents(const QString& path) override { opened << path; }
};

class SpyProgramEnd final : public ProgramEnd {
public:
    int ends = 0;
    void endNow() override { ++ends; }
};

}  // namespace quillmark::test
