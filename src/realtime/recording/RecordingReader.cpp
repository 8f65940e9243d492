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
    RecordingParser parser;
    // A line end more than the longest line, so that an overlong line is seen as one.
    QByteArray line(kMaxRecordingLine + 3, Qt::Uninitialized);
    bool good = true;
    while (good) {
        const qint64 length = file.readLine(line.data(), line.size());
        if (length <= 0) {
            if (length < 0 && !file.atEnd()) {
                contents.error =
                    QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
                return contents;
            }
            break;
        }
        const QByteArrayView text(line.constData(), length);
        if (!text.endsWith('\n')) {
            if (length == line.size() - 1) {
                good = parser.addOverlongLine();
                continue;
            }
            break;  // the last line, torn by a crash while it was written
        }
        good = parser.addLine(text.first(length - 1));
    }
    return parser.finish();
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
