#include "recording/RecordingWriter.h"

#include "recording/RecordingFormat.h"

#include <QFileDevice>
#include <QIODevice>

namespace quillmark {

RecordingWriter::RecordingWriter(QIODevice& device)
    : device_(device), goodSize_(device.isSequential() ? 0 : device.pos()) {}

QString RecordingWriter::writeHeader() {
    return writeLine(recordingHeaderLine());
}

QString RecordingWriter::writeRow(const RecordingRow& row) {
    return writeLine(recordingRowLine(row));
}

QString RecordingWriter::writeLine(const QByteArray& line) {
    auto* file = qobject_cast<QFileDevice*>(&device_);
    // A full disk takes part of a write and refuses the rest; only the refusal carries the
    // system's reason, so the rest is offered again until it is refused or taken.
    qint64 written = 0;
    while (written < line.size()) {
        const qint64 taken = device_.write(line.constData() + written, line.size() - written);
        if (taken <= 0) {
            break;
        }
        written += taken;
    }
    const bool flushed = written == line.size() && (file == nullptr || file->flush());
    if (flushed) {
        goodSize_ += written;
        return {};
    }
    QString error = device_.errorString();
    if (error.isEmpty() || error == QStringLiteral("Unknown error")) {
        error =
            QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(line.size());
    }
    // A row cut off by a full disk would run into whatever a reader finds next; cut the file
    // back to its last complete row.
    if (file != nullptr) {
        file->resize(goodSize_);
    }
    return error;
}

}  // namespace quillmark
