// Writing a settings file that QSettings must read afresh.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace quillmark::test {

// QSettings keeps a file it parsed until the file's size or time stamp changes, and tests write
// files faster than the clock moves: each file written here gets a time stamp of its own. The
// bytes are flushed before the stamp is set, or closing the file would stamp it again.
inline bool writeStampedFile(const QString& path, const QByteArray& bytes) {
    static qint64 written = 0;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush() &&
           file.setFileTime(QDateTime::fromSecsSinceEpoch(946684800 + written++),
                            QFileDevice::FileModificationTime);
}

}  // namespace quillmark::test
