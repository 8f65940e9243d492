// Writes a recording row by row onto a device, each row in one write and flushed, and checks
// every write.
#pragma once

#include "recording/RecordingRow.h"

#include <QString>

class QIODevice;

namespace quillmark {

class RecordingWriter {
public:
    // The device is open for writing and outlives the writer; what it holds already (a header
    // another writer wrote) counts as whole.
    explicit RecordingWriter(QIODevice& device);

    // Each write says why it failed, empty when it did not.
    QString writeHeader();
    QString writeRow(const RecordingRow& row);
    // One whole line, formatted before; a line cut short is cut off again.
    QString writeLine(const QByteArray& line);

private:
    QIODevice& device_;
    qint64 goodSize_ = 0;  // bytes of complete lines written so far
};

}  // namespace quillmark
