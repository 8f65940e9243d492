// Export of a recording to the binary MLG log format, version 2, that the common engine-log
// viewers open: a header, one descriptor a channel (name, units, type, scale, digits), an info
// text, then one fixed-size record a row with its timestamp and, before a row, a marker block
// for each marker it carries. Numbers are big-endian.
#pragma once

#include "recording/RecordingFormat.h"
#include "recording/RecordingRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;

namespace quillmark {

// Version 2 is what the menu writes unless the user picks version 1. Version 1 differs only in
// its header (the info text's offset in two bytes, not four) and its descriptors (no
// category): readers that know only version 1 take it.
inline constexpr std::uint16_t kMlgVersion = 2;
inline constexpr int kMlgMarkerTextBytes = 50;

// The Time channel counts whole milliseconds while the recording's last time fits its 32 bits
// (49.7 days); a longer recording counts in 10 ms steps (497 days), then 100 ms steps (past
// the ten years a recording may span), so its time never wraps or runs backwards.
inline constexpr std::array<float, 3> kMlgTimeSteps{0.001f, 0.01f, 0.1f};

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

// Time in whole milliseconds (the scale follows the time step); the status byte; then a channel
// per quantity in file order, as singles, so every value goes over exactly. A failed read (an
// empty cell) is a NaN. A status that failed to read has no value of its own: it is stored as
// 0, and the CSV's empty Status cell is where it shows.
constexpr std::array<MlgChannel, 2 + kQuantities.size()> mlgChannels() {
    std::array<MlgChannel, 2 + kQuantities.size()> channels{{
        {"Time", "s", MlgType::U32, MlgStyle::Float, 0.001f, 3},
        {"Status", "", MlgType::U08, MlgStyle::Hex, 1.0f, 0},
    }};
    std::size_t at = 2;
    for (const QuantityFacts& facts : kQuantities) {
        channels[at++] = {facts.name,   facts.unit,
                          MlgType::F32, MlgStyle::Float,
                          1.0f,         static_cast<std::int8_t>(facts.fineDecimals)};
    }
    return channels;
}
inline constexpr std::array<MlgChannel, 2 + kQuantities.size()> kMlgChannels = mlgChannels();

// Bytes of one record's values.
int mlgRecordLength();

// The header, the channel descriptors and the info text; `start` is the first row's clock,
// `timeStep` one of kMlgTimeSteps.
QByteArray mlgFileHeader(const QDateTime& start, const QString& info,
                         std::uint16_t version = kMlgVersion, float timeStep = kMlgTimeSteps[0]);
// The data blocks of one row: a marker block for each of its markers, then its record.
// `counter` rolls over with every block. The row's time must fit the time step
// (mlgTimeFits).
QByteArray mlgRowBlocks(const RecordingRow& row, std::uint8_t& counter,
                        float timeStep = kMlgTimeSteps[0]);
bool mlgTimeFits(double seconds, float timeStep);
// The finest of kMlgTimeSteps that holds `lastSeconds`: a recording's rows run in time order, so
// its last row decides the step for all of them, as the export's retries would.
float mlgTimeStepFor(double lastSeconds);
// The time of the last whole row in the first `length` bytes of `file`, read from the file's
// head and tail only; none when there is no such row or it is not a good row.
std::optional<double> lastRowSeconds(QIODevice& file, qint64 length);

// A marker as a plain-ASCII reader shows it, in at most `bytes` bytes: an accented letter
// without its accent, a few common signs by their ASCII look-alikes ("->" for an arrow), any
// other character as '?'; cut between two characters, never inside one's look-alike.
QByteArray mlgAsciiText(const QString& text, int bytes = kMlgMarkerTextBytes - 1);

// The log of a recording's lines as they stream by, so a day of fast polling never sits in
// memory whole: the header with the first row, then each row's blocks.
class MlgLineEncoder final : public RecordingLineParser {
public:
    using Sink = std::function<void(const QByteArray&)>;
    // `fileName` names the recording in the log's info text. A `sink` is handed the blocks a
    // batch of rows at a time and at the end; without one, take() hands them out. `timeStep` is
    // one of kMlgTimeSteps.
    explicit MlgLineEncoder(QString fileName, std::uint16_t version = kMlgVersion, Sink sink = {},
                            float timeStep = kMlgTimeSteps[0]);

    // After the last line: false when the text was no recording after all, or a row's time did
    // not fit the time step (timeTooLong()).
    bool finish();
    // A row came whose time the step cannot hold; nothing more was encoded after it.
    bool timeTooLong() const { return timeTooLong_; }
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
    float timeStep_;
    QByteArray blocks_;
    std::uint8_t counter_ = 0;
    long rows_ = 0;
    int markers_ = 0;
    bool timeTooLong_ = false;
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
