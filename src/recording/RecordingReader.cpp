#include "recording/RecordingReader.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace quillmark {

namespace {

// Read in blocks this large: a day at the fastest polling is hundreds of megabytes, and a call
// into the file for each line would cost as much as the parsing.
constexpr qint64 kReadBlock = 1 << 20;

}  // namespace

QString readRecordingLines(const QString& path, RecordingLineParser& parser) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
    }
    // The start of a line the block before ended in; never more than the longest line and its
    // line end, so that an overlong line costs no more memory than a good one.
    QByteArray carried;
    bool overlong = false;
    QByteArray block(kReadBlock, Qt::Uninitialized);
    while (parser.ok()) {
        const qint64 length = file.read(block.data(), block.size());
        if (length < 0) {
            return QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        }
        if (length == 0) {
            break;  // what is carried is a last line torn by a crash while it was written
        }
        const char* at = block.constData();
        const char* const end = at + length;
        while (at < end && parser.ok()) {
            const char* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
            const char* const lineEnd = newline != nullptr ? newline : end;
            if (!overlong) {
                if (carried.isEmpty() && newline != nullptr) {
                    parser.addLine(QByteArrayView(at, lineEnd - at));
                } else {
                    carried.append(at, lineEnd - at);
                    // A CR may still come before the line end.
                    if (carried.size() > kMaxRecordingLine + 1) {
                        overlong = true;
                        carried.clear();
                    } else if (newline != nullptr) {
                        parser.addLine(carried);
                        carried.clear();
                    }
                }
            }
            if (overlong && newline != nullptr) {
                parser.addOverlongLine();
                overlong = false;
            }
            at = newline != nullptr ? newline + 1 : end;
        }
    }
    return {};
}

RecordingContents readRecordingFile(const QString& path) {
    RecordingParser parser;
    const QString problem = readRecordingLines(path, parser);
    if (!problem.isEmpty()) {
        RecordingContents contents;
        contents.error = problem;
        return contents;
    }
    return parser.finish();
}

QString recordingProblemText(const QString& path, qsizetype errorLine, const QString& error) {
    const QString name = QDir::toNativeSeparators(path);
    if (errorLine <= 0) {
        return QStringLiteral("%1 cannot be opened: %2.").arg(name, error);
    }
    return QStringLiteral("%1 is not a recording: line %2: %3.")
        .arg(name)
        .arg(errorLine)
        .arg(error);
}

QString recordingProblemText(const QString& path, const RecordingContents& contents) {
    return recordingProblemText(path, contents.errorLine, contents.error);
}

}  // namespace quillmark
