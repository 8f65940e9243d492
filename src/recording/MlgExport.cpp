#include "recording/MlgExport.h"

#include "recording/RecordingFormat.h"
#include "recording/RecordingReader.h"

#include <QFileInfo>
#include <QSaveFile>

#include <bit>
#include <cmath>
#include <limits>

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

// UTF-8 in a fixed field, padded with NULs, never cut inside a character and always ending
// with at least one NUL.
void putText(QByteArray& out, const QString& text, int bytes) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() > bytes - 1) {
        qsizetype cut = bytes - 1;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        utf8.truncate(cut);
    }
    out += utf8;
    out += QByteArray(bytes - utf8.size(), '\0');
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

std::uint16_t blockTimestamp(double seconds) {
    return static_cast<std::uint16_t>(std::llround(seconds * kTimestampTicksPerSecond) & 0xFFFF);
}

void putBlockHead(QByteArray& out, std::uint8_t type, std::uint8_t& counter, double seconds) {
    putU8(out, type);
    putU8(out, counter++);
    putU16(out, blockTimestamp(seconds));
}

}  // namespace

int mlgRecordLength() {
    int length = 0;
    for (const MlgChannel& channel : kMlgChannels) {
        length += typeBytes(channel.type);
    }
    return length;
}

QByteArray mlgFileHeader(const QDateTime& start, const QString& info, std::uint16_t version) {
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
    for (const MlgChannel& channel : kMlgChannels) {
        putU8(out, static_cast<std::uint8_t>(channel.type));
        putText(out, QString::fromLatin1(channel.name), kNameBytes);
        putText(out, QString::fromLatin1(channel.units), kUnitsBytes);
        putU8(out, static_cast<std::uint8_t>(channel.style));
        putF32(out, channel.scale);
        putF32(out, 0.0f);  // transform: value = raw * scale + transform
        putU8(out, static_cast<std::uint8_t>(channel.digits));
        if (two) {
            putText(out, QString::fromLatin1(kCategory), kCategoryBytes);
        }
    }
    out += infoText;
    out += '\0';
    return out;
}

QByteArray mlgRowBlocks(const RecordingRow& row, std::uint8_t& counter) {
    QByteArray out;
    if (row.marker) {
        putBlockHead(out, kMarkerBlock, counter, row.seconds);
        putText(out, markerCellText(*row.marker), kMlgMarkerTextBytes);
    }
    putBlockHead(out, kRecordBlock, counter, row.seconds);
    const qsizetype dataStart = out.size();
    putU32(out, static_cast<std::uint32_t>(std::llround(row.seconds * 1000.0)));
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

MlgLineEncoder::MlgLineEncoder(QString fileName, std::uint16_t version, Sink sink)
    : fileName_(std::move(fileName)), version_(version), sink_(std::move(sink)) {}

bool MlgLineEncoder::finish() {
    const bool good = finishLines();
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
    const QString clock = QString::fromUtf8(line.clock);
    if (rows_ == 0) {
        const QString info =
            QStringLiteral("Quillmark recording %1\nCapture Date: %2").arg(fileName_, clock);
        blocks_ = mlgFileHeader(QDateTime::fromString(clock, Qt::ISODateWithMs), info, version_);
    }
    RecordingRow row;
    row.seconds = line.seconds;
    row.statusRaw = line.statusRaw;
    for (std::size_t i = 0; i < kRecordedValues.size(); ++i) {
        if (!std::isnan(line.values[i])) {
            row.values[i] = line.values[i];
        }
    }
    if (line.markerNumber > 0) {
        row.marker = RecordingMarker{line.markerNumber, QString::fromUtf8(line.markerText)};
        ++markers_;
    }
    blocks_ += mlgRowBlocks(row, counter_);
    if (++rows_ % kRowsPerWrite == 0 && sink_) {
        sink_(take());
    }
}

MlgExportResult exportRecordingToMlg(const QString& recordingPath, const QString& mlgPath,
                                     std::uint16_t version) {
    MlgExportResult result;
    QSaveFile file(mlgPath);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    QString writeError;
    MlgLineEncoder encoder(QFileInfo(recordingPath).fileName(), version,
                           [&file, &writeError](const QByteArray& blocks) {
                               if (writeError.isEmpty() && file.write(blocks) != blocks.size()) {
                                   writeError = file.errorString();
                               }
                           });
    if (const QString problem = readRecordingLines(recordingPath, encoder); !problem.isEmpty()) {
        result.error = recordingProblemText(recordingPath, 0, problem);
        return result;
    }
    // A file that turns out not to be a recording is never committed.
    if (!encoder.finish()) {
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

}  // namespace quillmark
