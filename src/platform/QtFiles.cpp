// Files on the local disk.
#include "platform/QtFiles.h"

#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillmark {

namespace {

const QString kErrorSource = QString::fromLatin1(kProgramName);

}  // namespace

QtFiles::QtFiles(QString programDirectory) : programDirectory_(std::move(programDirectory)) {
    while (programDirectory_.size() > 1 && programDirectory_.endsWith(QLatin1Char('/'))) {
        programDirectory_.chop(1);
    }
}

QString QtFiles::defaultProgramDirectory() {
    return QCoreApplication::applicationDirPath();
}

bool QtFiles::exists(const QString& path) const {
    return QFileInfo::exists(path);
}

QByteArray QtFiles::readAll(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw RaisedError::platform(kErrorSource,
                                    QStringLiteral("Cannot read %1: %2")
                                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return file.readAll();
}

void QtFiles::setCurrentDirectory(const QString& path) {
    if (!QDir::setCurrent(path)) {
        throw RaisedError::platform(kErrorSource,
                                    QStringLiteral("Cannot change to the directory %1")
                                        .arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace quillmark
