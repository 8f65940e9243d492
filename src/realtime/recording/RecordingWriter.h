// Writes a recording row by row onto a device, each row in one write and flushed, and checks
// every write.
#pragma once

#include "realtime/recording/RecordingRow.h"

#include <QString>

class QIODevice;

namespace quillmark {

class RecordingWriter {
public:
    // The device is open for writing and outlives the writer.
    explicit RecordingWriter(QIODevice& device) : device_(device) {}

    bool writeHeader();
    bool writeRow(const RecordingRow& row);
    // Why the last write failed.
    const QString& error() const { return error_; }

private:
    bool writeLine(const QByteArray& line);

    QIODevice& device_;
    qint64 goodSize_ = 0;  // bytes of complete lines written so far
    QString error_;
};

}  // namespace quillmark
