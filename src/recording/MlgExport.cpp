#include "recording/MlgExport.h"

#include "recording/RecordingFormat.h"
#include "recording/RecordingReader.h"

#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace quillmark {

namespace {

constexpr int kNameBytes = 34;
constexpr int kUnitsBytes = 10;
constexpr int kCategoryBytes = 34;
constexpr std::uint8_t kRecordBlock = 0;
constexpr std::uint8_t kMarkerBlock = 1;
// Block timestamps count 10 us and roll over; the Time channel carries the whole time.
constexpr double kTimestampTicksPerSecond = 100000.0;
constexpr const char* kCategory = "Quillmark";
// Rows a write takes at once.
constexpr long kRowsPerWrite = 4096;

void putU8(QByteArray& out, std::uint8_t value) {
    out += static_cast<char>(value);
}

void putU16(QByteArray& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

void putU32(QByteArray& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void putF32(QByteArray& out, float value) {
    putU32(out, std::bit_cast<std::uint32_t>(value));
}

// Plain ASCII in a fixed field, padded with NULs and always ending with at least one.
void putText(QByteArray& out, const QString& text, int bytes) {
    const QByteArray ascii = mlgAsciiText(text, bytes - 1);
    out += ascii;
    out += QByteArray(bytes - ascii.size(), '\0');
}

// What a plain-ASCII reader shows for a character that has no plain form of its own.
QByteArray asciiLookAlike(char32_t c) {
    struct LookAlike {
        char32_t c;
        const char* ascii;
    };
    static constexpr std::array<LookAlike, 24> kLookAlikes{{
        {U'\u00DF', "ss"}, {U'\u00C6', "AE"},  {U'\u00E6', "ae"}, {U'\u0152', "OE"},
        {U'\u0153', "oe"}, {U'\u00D8', "O"},   {U'\u00F8', "o"},  {U'\u0141', "L"},
        {U'\u0142', "l"},  {U'\u0110', "D"},   {U'\u0111', "d"},  {U'\u00DE', "Th"},
        {U'\u00FE', "th"}, {U'\u00B0', "deg"}, {U'\u00D7', "x"},  {U'\u03BC', "u"},
        {U'\u2013', "-"},  {U'\u2014', "-"},   {U'\u2018', "'"},  {U'\u2019', "'"},
        {U'\u201C', "\""}, {U'\u201D', "\""},  {U'\u2192', "->"}, {U'\u2190', "<-"},
    }};
    for (const LookAlike& entry : kLookAlikes) {
        if (entry.c == c) {
            return QByteArray(entry.ascii);
        }
    }
    return QByteArrayLiteral("?");
}

int typeBytes(MlgType type) {
    switch (type) {
        case MlgType::U08:
            return 1;
        case MlgType::U32:
        case MlgType::F32:
            return 4;
    }
    return 0;
}

// The Time channel's name and units; its scale and digits follow the time step.
constexpr std::size_t kTimeChannel = 0;

std::uint16_t blockTimestamp(double seconds) {
    return static_cast<std::uint16_t>(std::llround(seconds * kTimestampTicksPerSecond) & 0xFFFF);
}

void putBlockHead(QByteArray& out, std::uint8_t type, std::uint8_t& counter, double seconds) {
    putU8(out, type);
    putU8(out, counter++);
    putU16(out, blockTimestamp(seconds));
}

}  // namespace

QByteArray mlgAsciiText(const QString& text, int bytes) {
    // Apart, an accent follows its letter as a mark of its own, which is left out; ligatures
    // and compatibility forms come apart into plain letters ("fi", "2", "...").
    const QString apart = text.normalized(QString::NormalizationForm_KD);
    QByteArray out;
    for (const char32_t c : apart.toUcs4()) {
        QByteArray piece;
        if (c >= 0x20 && c < 0x7F) {
            piece = QByteArray(1, static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F) {
            piece = QByteArrayLiteral(" ");
        } else if (QChar::category(c) == QChar::Mark_NonSpacing) {
            continue;
        } else {
            piece = asciiLookAlike(c);
        }
        if (out.size() + piece.size() > bytes) {
            break;
        }
        out += piece;
    }
    return out;
}

bool mlgTimeFits(double seconds, float timeStep) {
    return seconds >= 0.0 && std::llround(seconds / static_cast<double>(timeStep)) <=
                                 static_cast<long long>(std::numeric_limits<std::uint32_t>::max());
}

float mlgTimeStepFor(double lastSeconds) {
    for (const float timeStep : kMlgTimeSteps) {
        if (mlgTimeFits(lastSeconds, timeStep)) {
            return timeStep;
        }
    }
    return kMlgTimeSteps.back();
}

namespace {

// Reads the time of the one row it is handed after the header.
class RowTime final : public RecordingLineParser {
public:
    std::optional<double> seconds;

private:
    void takeRow(const RecordingLine& line) override { seconds = line.seconds; }
    void dropRows() override { seconds.reset(); }
};

}  // namespace

std::optional<double> lastRowSeconds(QIODevice& file, qint64 length) {
    if (!file.seek(0)) {
        return std::nullopt;
    }
    // readLine takes one byte less than it is given.
    QByteArray header = file.readLine(std::min<qint64>(length + 1, kMaxRecordingLine + 2));
    if (!header.endsWith('\n')) {
        return std::nullopt;
    }
    const qint64 rowsStart = header.size();
    header.chop(1);
    // Blank lines an editor left at the end are no rows: the window grows past them.
    for (qint64 window = qint64(kMaxRecordingLine) * 4;; window *= 2) {
        const qint64 from = std::max(rowsStart, length - window);
        if (!file.seek(from)) {
            return std::nullopt;
        }
        const QByteArray tail = file.read(length - from);
        // A last line without its line end is a row torn by a crash, which no reader takes.
        qsizetype end = tail.lastIndexOf('\n');
        while (end >= 0) {
            const qsizetype begin = end == 0 ? 0 : tail.lastIndexOf('\n', end - 1) + 1;
            if (begin == 0 && from > rowsStart) {
                break;  // the line may start before the window
            }
            const QByteArrayView line(tail.constData() + begin, end - begin);
            if (!line.trimmed().isEmpty()) {
                RowTime row;
                row.addLine(header);
                row.addLine(line);
                return row.seconds;
            }
            end = begin - 1;
        }
        if (from <= rowsStart) {
            return std::nullopt;
        }
    }
}

int mlgRecordLength() {
    int length = 0;
    for (const MlgChannel& channel : kMlgChannels) {
        length += typeBytes(channel.type);
    }
    return length;
}

QByteArray mlgFileHeader(const QDateTime& start, const QString& info, std::uint16_t version,
                         float timeStep) {
    const bool two = version >= 2;
    const int headerBytes = two ? 24 : 22;
    const int descriptorBytes = two ? 89 : 55;
    const int descriptors = static_cast<int>(kMlgChannels.size()) * descriptorBytes;
    const std::uint32_t infoStart = headerBytes + descriptors;
    const QByteArray infoText = info.toUtf8();
    // The info text ends with a NUL; the data begin right after it.
    const auto dataBegin = static_cast<std::uint32_t>(infoStart + infoText.size() + 1);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(dataBegin));
    out += QByteArray("MLVLG", 6);  // with its NUL
    putU16(out, version);
    putU32(out, static_cast<std::uint32_t>(std::max<qint64>(0, start.toSecsSinceEpoch())));
    if (two) {
        putU32(out, infoStart);
    } else {
        putU16(out, static_cast<std::uint16_t>(infoStart));
    }
    putU32(out, dataBegin);
    putU16(out, static_cast<std::uint16_t>(mlgRecordLength()));
    putU16(out, static_cast<std::uint16_t>(kMlgChannels.size()));
    for (std::size_t i = 0; i < kMlgChannels.size(); ++i) {
        const MlgChannel& channel = kMlgChannels[i];
        const bool time = i == kTimeChannel;
        putU8(out, static_cast<std::uint8_t>(channel.type));
        putText(out, QString::fromLatin1(channel.name), kNameBytes);
        putText(out, QString::fromLatin1(channel.units), kUnitsBytes);
        putU8(out, static_cast<std::uint8_t>(channel.style));
        putF32(out, time ? timeStep : channel.scale);
        putF32(out, 0.0f);  // transform: value = raw * scale + transform
        // As many digits as the step has: 3 for milliseconds, 1 for tenths.
        const auto digits =
            time ? static_cast<std::int8_t>(std::lround(-std::log10(timeStep))) : channel.digits;
        putU8(out, static_cast<std::uint8_t>(digits));
        if (two) {
            putText(out, QString::fromLatin1(kCategory), kCategoryBytes);
        }
    }
    out += infoText;
    out += '\0';
    return out;
}

QByteArray mlgRowBlocks(const RecordingRow& row, std::uint8_t& counter, float timeStep) {
    QByteArray out;
    for (const RecordingMarker& marker : row.markers) {
        putBlockHead(out, kMarkerBlock, counter, row.seconds);
        putText(out, markerCellText(marker), kMlgMarkerTextBytes);
    }
    putBlockHead(out, kRecordBlock, counter, row.seconds);
    const qsizetype dataStart = out.size();
    putU32(out,
           static_cast<std::uint32_t>(std::llround(row.seconds / static_cast<double>(timeStep))));
    // A status that failed to read is stored as 0: the format has no empty value.
    putU8(out, static_cast<std::uint8_t>(row.statusRaw.value_or(0)));
    for (const auto& value : row.values) {
        putF32(out, value.value_or(std::numeric_limits<float>::quiet_NaN()));
    }
    // The check byte: the record's bytes added up.
    std::uint8_t sum = 0;
    for (qsizetype i = dataStart; i < out.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(out[i]));
    }
    putU8(out, sum);
    return out;
}

// The coarsest step holds every time a recording may have, so the last attempt always fits.
static_assert(kMaxRecordingSeconds / static_cast<double>(kMlgTimeSteps.back()) <
              static_cast<double>(std::numeric_limits<std::uint32_t>::max()));

MlgLineEncoder::MlgLineEncoder(QString fileName, std::uint16_t version, Sink sink, float timeStep)
    : fileName_(std::move(fileName)),
      version_(version),
      sink_(std::move(sink)),
      timeStep_(timeStep) {}

bool MlgLineEncoder::finish() {
    const bool good = finishLines() && !timeTooLong_;
    if (sink_ && good) {
        sink_(take());
    }
    return good;
}

QByteArray MlgLineEncoder::take() {
    QByteArray taken;
    taken.swap(blocks_);
    return taken;
}

void MlgLineEncoder::takeRow(const RecordingLine& line) {
    if (timeTooLong_) {
        return;
    }
    if (!mlgTimeFits(line.seconds, timeStep_)) {
        timeTooLong_ = true;
        return;
    }
    const QString clock = QString::fromUtf8(line.clock);
    if (rows_ == 0) {
        const QString info =
            QStringLiteral("Quillmark recording %1\nCapture Date: %2").arg(fileName_, clock);
        blocks_ = mlgFileHeader(QDateTime::fromString(clock, Qt::ISODateWithMs), info, version_,
                                timeStep_);
    }
    RecordingRow row;
    row.seconds = line.seconds;
    row.statusRaw = line.statusRaw;
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        if (!std::isnan(line.values[i])) {
            row.values[i] = line.values[i];
        }
    }
    if (!line.markers.isEmpty()) {
        parseMarkerCell(line.markers, &row.markers);
        markers_ += static_cast<int>(row.markers.size());
    }
    blocks_ += mlgRowBlocks(row, counter_, timeStep_);
    if (++rows_ % kRowsPerWrite == 0 && sink_) {
        sink_(take());
    }
}

MlgExportResult exportRecordingToMlg(const QString& recordingPath, const QString& mlgPath,
                                     std::uint16_t version) {
    MlgExportResult result;
    // Milliseconds first; only a recording longer than they hold is read again, with a coarser
    // step, and what was written of it is dropped.
    for (const float timeStep : kMlgTimeSteps) {
        QSaveFile file(mlgPath);
        if (!file.open(QIODevice::WriteOnly)) {
            result.error = file.errorString();
            return result;
        }
        QString writeError;
        MlgLineEncoder encoder(
            QFileInfo(recordingPath).fileName(), version,
            [&file, &writeError](const QByteArray& blocks) {
                if (writeError.isEmpty() && file.write(blocks) != blocks.size()) {
                    writeError = file.errorString();
                }
            },
            timeStep);
        if (const QString problem = readRecordingLines(recordingPath, encoder);
            !problem.isEmpty()) {
            result.error = recordingProblemText(recordingPath, 0, problem);
            return result;
        }
        // A file that turns out not to be a recording is never committed.
        if (!encoder.finish()) {
            if (encoder.timeTooLong()) {
                continue;
            }
            result.error =
                recordingProblemText(recordingPath, encoder.errorLine(), encoder.error());
            return result;
        }
        if (writeError.isEmpty() && !file.commit()) {
            writeError = file.errorString();
        }
        result.error = writeError;
        result.rows = encoder.rows();
        result.markers = encoder.markers();
        return result;
    }
    return result;
}

}  // namespace quillmark
