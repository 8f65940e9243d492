// Export of a recording to the binary MLG log format, version 2, that the common engine-log
// viewers open: a header, one descriptor a channel (name, units, type, scale, digits), an info
// text, then one fixed-size record a row with its timestamp and a marker block before each row
// that carries a marker. Numbers are big-endian.
#pragma once

#include "recording/RecordingFormat.h"
#include "recording/RecordingRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

namespace quillmark {

// Version 2 is what the menu writes. Version 1 differs only in its header (the info text's
// offset in two bytes, not four) and its descriptors (no category): readers that know only
// version 1 take it.
inline constexpr std::uint16_t kMlgVersion = 2;
inline constexpr int kMlgMarkerTextBytes = 50;

enum class MlgType : std::uint8_t { U08 = 0, U32 = 4, F32 = 7 };
enum class MlgStyle : std::uint8_t { Float = 0, Hex = 1 };

struct MlgChannel {
    const char* name;
    const char* units;
    MlgType type;
    MlgStyle style;
    float scale;
    std::int8_t digits;
};

// Time in whole milliseconds; the status byte; then the value columns in file order, as
// singles, so every value goes over exactly. A failed read (an empty cell) is a NaN.
inline constexpr std::array<MlgChannel, 2 + kRecordedValues.size()> kMlgChannels{{
    {"Time", "s", MlgType::U32, MlgStyle::Float, 0.001f, 3},
    {"Status", "", MlgType::U08, MlgStyle::Hex, 1.0f, 0},
    {"Engine speed", "rpm", MlgType::F32, MlgStyle::Float, 1.0f, 0},
    {"Throttle", "%", MlgType::F32, MlgStyle::Float, 1.0f, 1},
    {"Fuel front", "%", MlgType::F32, MlgStyle::Float, 1.0f, 2},
    {"Fuel rear", "%", MlgType::F32, MlgStyle::Float, 1.0f, 2},
    {"Battery", "V", MlgType::F32, MlgStyle::Float, 1.0f, 2},
    {"Injector front", "ms", MlgType::F32, MlgStyle::Float, 1.0f, 3},
    {"Injector rear", "ms", MlgType::F32, MlgStyle::Float, 1.0f, 3},
    {"Retard", "deg", MlgType::F32, MlgStyle::Float, 1.0f, 4},
}};

// Bytes of one record's values.
int mlgRecordLength();

// The header, the channel descriptors and the info text; `start` is the first row's clock.
QByteArray mlgFileHeader(const QDateTime& start, const QString& info,
                         std::uint16_t version = kMlgVersion);
// The data blocks of one row: its marker block when it has a marker, then its record.
// `counter` rolls over with every block.
QByteArray mlgRowBlocks(const RecordingRow& row, std::uint8_t& counter);

// The log of a recording's lines as they stream by, so a day of fast polling never sits in
// memory whole: the header with the first row, then each row's blocks.
class MlgLineEncoder final : public RecordingLineParser {
public:
    using Sink = std::function<void(const QByteArray&)>;
    // `fileName` names the recording in the log's info text. A `sink` is handed the blocks a
    // batch of rows at a time and at the end; without one, take() hands them out.
    explicit MlgLineEncoder(QString fileName, std::uint16_t version = kMlgVersion,
                            Sink sink = {});

    // After the last line: false when the text was no recording after all.
    bool finish();
    // The blocks of the lines added since the last take.
    QByteArray take();
    long rows() const { return rows_; }
    int markers() const { return markers_; }

private:
    void takeRow(const RecordingLine& line) override;
    void dropRows() override { blocks_.clear(); }

    QString fileName_;
    std::uint16_t version_;
    Sink sink_;
    QByteArray blocks_;
    std::uint8_t counter_ = 0;
    long rows_ = 0;
    int markers_ = 0;
};

struct MlgExportResult {
    long rows = 0;
    int markers = 0;
    QString error;  // empty when the file was written
};

// Reads the recording and writes the log; the target appears whole or not at all.
MlgExportResult exportRecordingToMlg(const QString& recordingPath, const QString& mlgPath,
                                     std::uint16_t version = kMlgVersion);

}  // namespace quillmark
