// The recording reader handed any bytes as a file: it must never crash, and the reader that
// keeps whole rows and the one that fills the compact columns must agree on every fault, its
// line, and on every value of a good file.
#include "FuzzRequire.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>

using namespace quillmark;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    parseRecording(text);

    static QTemporaryDir dir;
    require(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(text.data(), text.size()) == text.size());
    }
    const RecordingContents rows = readRecordingFile(path);
    const RecordingColumnsContents columns = readRecordingColumns(path);
    require(rows.ok() == columns.ok());
    require(rows.errorLine == columns.errorLine);
    require(rows.error == columns.error);
    require(rows.rows.size() == columns.columns.size());
    std::size_t markersSeen = 0;
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        const RecordingRow& row = rows.rows[i];
        require(columns.columns.times()[i] == row.seconds);
        require(columns.columns.clock(i) == row.clock);
        require(columns.columns.status(i).raw == row.statusRaw);
        require(columns.columns.status(i).text == row.status);
        for (const Quantity quantity : kRecordedValues) {
            const float value = columns.columns.values(quantity)[i];
            require(std::isnan(value) ? !row.value(quantity) : row.value(quantity) == value);
        }
        for (const RecordingMarker& marker : row.markers) {
            require(markersSeen < columns.columns.markers().size());
            const ColumnsMarker& kept = columns.columns.markers()[markersSeen++];
            require(kept.row == i && kept.marker == marker);
        }
    }
    require(markersSeen == columns.columns.markers().size());
    require(!rows.ok() || recordedModel(rows.rows, path) == columns.model);
    return 0;
}
