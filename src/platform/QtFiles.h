// Files on the local disk, relative to the program's own directory.
#pragma once

#include "platform/Files.h"

namespace quillmark {

class QtFiles final : public Files {
public:
    // Tests pass a directory of their own; the program uses the executable's directory.
    explicit QtFiles(QString programDirectory = defaultProgramDirectory());

    static QString defaultProgramDirectory();

    QString programDirectory() const override { return programDirectory_; }
    bool exists(const QString& path) const override;
    QByteArray readAll(const QString& path) const override;
    void setCurrentDirectory(const QString& path) override;

private:
    QString programDirectory_;
};

}  // namespace quillmark
