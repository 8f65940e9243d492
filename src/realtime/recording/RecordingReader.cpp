#include "realtime/recording/RecordingReader.h"

#include <QDir>
#include <QFile>

namespace quillmark {

RecordingContents readRecordingFile(const QString& path) {
    RecordingContents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        return contents;
    }
    if (file.size() > kMaxRecordingBytes) {
        contents.errorLine = 1;
        contents.error =
            QStringLiteral("the file is larger than %1 MB").arg(kMaxRecordingMegabytes);
        return contents;
    }
    // Read no more than the limit, even from a file that grows while it is read.
    const QByteArray text = file.read(kMaxRecordingBytes + 1);
    return parseRecording(text);
}

QString recordingProblemText(const QString& path, const RecordingContents& contents) {
    const QString name = QDir::toNativeSeparators(path);
    if (contents.errorLine <= 0) {
        return QStringLiteral("%1 cannot be opened: %2.").arg(name, contents.error);
    }
    return QStringLiteral("%1 is not a recording: line %2: %3.")
        .arg(name)
        .arg(contents.errorLine)
        .arg(contents.error);
}

}  // namespace quillmark
