#include "realtime/recording/RecordingWriter.h"

#include "realtime/recording/RecordingFormat.h"

#include <QFileDevice>
#include <QIODevice>

namespace quillmark {

bool RecordingWriter::writeHeader() {
    return writeLine(recordingHeaderLine());
}

bool RecordingWriter::writeRow(const RecordingRow& row) {
    return writeLine(recordingRowLine(row));
}

bool RecordingWriter::writeLine(const QByteArray& line) {
    auto* file = qobject_cast<QFileDevice*>(&device_);
    const qint64 written = device_.write(line);
    const bool flushed = written == line.size() && (file == nullptr || file->flush());
    if (flushed) {
        goodSize_ += written;
        return true;
    }
    error_ = device_.errorString();
    if (error_.isEmpty() || error_ == QStringLiteral("Unknown error")) {
        error_ = QStringLiteral("only %1 of %2 bytes could be written")
                     .arg(qMax<qint64>(written, 0))
                     .arg(line.size());
    }
    // A row cut off by a full disk would run into whatever a reader finds next; cut the file
    // back to its last complete row.
    if (file != nullptr) {
        file->resize(goodSize_);
    }
    return false;
}

}  // namespace quillmark
