// Export of a recording to the binary MLG log format, version 2, that the common engine-log
// viewers open: a header, one descriptor a channel (name, units, type, scale, digits), an info
// text, then one fixed-size record a row with its timestamp and, before a row, a marker block
// for each marker it carries. Numbers are big-endian.
#pragma once

#include "recording/RecordingRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
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
    const char* name = "";
    const char* units = "";
    MlgType type = MlgType::F32;
    MlgStyle style = MlgStyle::Float;
    float scale = 1.0f;
    std::int8_t digits = 0;
};

// Time in whole milliseconds; the status byte; then a channel per quantity in file order, as
// singles, so every value goes over exactly. A failed read (an empty cell) is a NaN.
inline constexpr std::array<MlgChannel, 2 + kQuantities.size()> kMlgChannels = [] {
    std::array<MlgChannel, 2 + kQuantities.size()> channels{{
        {"Time", "s", MlgType::U32, MlgStyle::Float, 0.001f, 3},
        {"Status", "", MlgType::U08, MlgStyle::Hex, 1.0f, 0},
    }};
    for (std::size_t i = 0; i < kQuantities.size(); ++i) {
        const QuantityFacts& facts = kQuantities[i];
        channels[2 + i] = {facts.name,   facts.unit,
                           MlgType::F32, MlgStyle::Float,
                           1.0f,         static_cast<std::int8_t>(facts.fineDecimals)};
    }
    return channels;
}();

// Bytes of one record's values.
int mlgRecordLength();

// The header, the channel descriptors and the info text; `start` is the first row's clock.
QByteArray mlgFileHeader(const QDateTime& start, const QString& info,
                         std::uint16_t version = kMlgVersion);
// The data blocks of one row: a marker block for each of its markers, then its record.
// `counter` rolls over with every block.
QByteArray mlgRowBlocks(const RecordingRow& row, std::uint8_t& counter);

struct MlgExportResult {
    long rows = 0;
    int markers = 0;
    QString error;  // empty when the file was written
};

// Reads the recording and writes the log; the target appears whole or not at all.
MlgExportResult exportRecordingToMlg(const QString& recordingPath, const QString& mlgPath,
                                     std::uint16_t version = kMlgVersion);

}  // namespace quillmark
