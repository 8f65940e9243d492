// Files and the program's own directory.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillmark {

class Files {
public:
    virtual ~Files() = default;
    // The directory that holds the program's executable, without a trailing separator.
    virtual QString programDirectory() const = 0;
    virtual bool exists(const QString& path) const = 0;
    // The whole file as bytes; throws RaisedError naming the file when it cannot be read.
    virtual QByteArray readAll(const QString& path) const = 0;
    // Throws RaisedError when the directory cannot be made current.
    virtual void setCurrentDirectory(const QString& path) = 0;
};

}  // namespace quillmark
