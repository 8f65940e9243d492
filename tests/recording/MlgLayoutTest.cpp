// The version 2 log checked byte by byte against the format's published description (the MLG
// binary log format, version 2.0), not against this program's own reading of it: the header's
// fields at their offsets, the 89-byte channel descriptors, the data blocks with their 10 us
// timestamps and the record's check byte (the sum of its bytes). The offsets below are typed
// from that description; none is taken from the exporter's code.
#include "DataColumns.h"
#include "recording/MlgExport.h"
#include "recording/RecordingFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <cmath>
#include <cstdint>

using namespace quillmark;
using namespace quillmark::test;

namespace {

// The published layout.
constexpr int kHeaderBytes = 24;
constexpr int kVersionAt = 6;
constexpr int kTimestampAt = 8;
constexpr int kInfoStartAt = 12;
constexpr int kDataBeginAt = 16;
constexpr int kRecordLengthAt = 20;
constexpr int kFieldCountAt = 22;
constexpr int kFieldBytes = 89;
constexpr int kFieldNameAt = 1;
constexpr int kFieldUnitsAt = 35;
constexpr int kFieldStyleAt = 45;
constexpr int kFieldScaleAt = 46;
constexpr int kFieldTransformAt = 50;
constexpr int kFieldDigitsAt = 54;
constexpr int kFieldCategoryAt = 55;
constexpr int kBlockHeadBytes = 4;  // type, counter, timestamp
constexpr int kMarkerTextBytes = 50;

struct Bytes {
    QByteArray data;
    std::uint32_t u(qsizetype at, int size) const {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            value = value << 8 | static_cast<std::uint8_t>(data[at + i]);
        }
        return value;
    }
    float f32(qsizetype at) const { return std::bit_cast<float>(u(at, 4)); }
    // A NUL-padded text field; its last byte is a NUL.
    QByteArray text(qsizetype at, int size) const {
        const QByteArray field = data.mid(at, size);
        return field.left(field.indexOf('\0'));
    }
};

struct Channel {
    int type;
    int size;
};

}  // namespace

class MlgLayoutTest final : public QObject {
    Q_OBJECT
private slots:
    void version2_matchesThePublishedLayout_data() {
        columns<double, double>("lastSeconds", "timeScale");
        QTest::newRow("an hour, time in milliseconds") << 3600.0 << 0.001;
        // Past 49.7 days whole milliseconds no longer fit the Time channel's 32 bits.
        QTest::newRow("50 days, time in 10 ms steps") << 50 * 86400.0 << 0.01;
    }
    void version2_matchesThePublishedLayout() {
        QFETCH(double, lastSeconds);
        QFETCH(double, timeScale);
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("run.csv"));
        const QString mlg = dir.filePath(QStringLiteral("run.mlg"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recordingHeaderLine());
        const std::array<double, 4> times{0.0, 0.5, lastSeconds - 0.5, lastSeconds};
        for (std::size_t i = 0; i < times.size(); ++i) {
            RecordingRow row;
            row.seconds = times[i];
            row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
            row.statusRaw = i == 2 ? std::optional<int>() : std::optional<int>(0x06);
            row.setValue(Quantity::EngineSpeed, 1000.0f + 250.0f * float(i));
            row.setValue(Quantity::Battery, 13.5f);
            if (i == 1) {
                row.markers = {RecordingMarker{1, QStringLiteral("hill")}};
            }
            file.write(recordingRowLine(row));
        }
        file.close();
        const MlgExportResult result = exportRecordingToMlg(csv, mlg, 2);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QFile log(mlg);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const Bytes b{log.readAll()};

        QCOMPARE(b.data.left(6), QByteArray("MLVLG\0", 6));
        QCOMPARE(b.u(kVersionAt, 2), 2u);
        QCOMPARE(qint64(b.u(kTimestampAt, 4)),
                 QDateTime::fromString(QStringLiteral("2026-12-07T10:00:00.000+01:00"),
                                       Qt::ISODateWithMs)
                     .toSecsSinceEpoch());
        const std::uint32_t fields = b.u(kFieldCountAt, 2);
        QCOMPARE(fields, 10u);  // time, status and the eight values
        const std::uint32_t infoStart = b.u(kInfoStartAt, 4);
        QCOMPARE(infoStart, std::uint32_t(kHeaderBytes + fields * kFieldBytes));
        const std::uint32_t dataBegin = b.u(kDataBeginAt, 4);
        QVERIFY(b.data.mid(infoStart).startsWith("Quillmark recording run.csv"));
        QCOMPARE(b.data[dataBegin - 1], '\0');  // the info text ends with its NUL

        // Type codes of the description: 0 U08, 4 U32, 7 F32.
        std::vector<Channel> channels;
        int recordLength = 0;
        for (std::uint32_t i = 0; i < fields; ++i) {
            const qsizetype at = kHeaderBytes + i * kFieldBytes;
            const int type = int(b.u(at, 1));
            QVERIFY(type == 0 || type == 4 || type == 7);
            channels.push_back({type, type == 0 ? 1 : 4});
            recordLength += channels.back().size;
            QCOMPARE(b.f32(at + kFieldTransformAt), 0.0f);
            QCOMPARE(b.text(at + kFieldCategoryAt, 34), QByteArray("Quillmark"));
            QCOMPARE(b.data[at + kFieldCategoryAt + 33], '\0');
        }
        const qsizetype time = kHeaderBytes;
        QCOMPARE(b.text(time + kFieldNameAt, 34), QByteArray("Time"));
        QCOMPARE(b.text(time + kFieldUnitsAt, 10), QByteArray("s"));
        QCOMPARE(channels[0].type, 4);
        QCOMPARE(b.f32(time + kFieldScaleAt), float(timeScale));
        // A viewer multiplies by the single-precision scale it reads.
        const double scale = b.f32(time + kFieldScaleAt);
        QCOMPARE(int(b.u(time + kFieldStyleAt, 1)), 0);  // Float
        const qsizetype status = kHeaderBytes + kFieldBytes;
        QCOMPARE(b.text(status + kFieldNameAt, 34), QByteArray("Status"));
        QCOMPARE(channels[1].type, 0);
        QCOMPARE(int(b.u(status + kFieldStyleAt, 1)), 1);  // Hex
        const qsizetype speed = kHeaderBytes + 2 * kFieldBytes;
        QCOMPARE(b.text(speed + kFieldNameAt, 34), QByteArray("Engine speed"));
        QCOMPARE(b.text(speed + kFieldUnitsAt, 10), QByteArray("rpm"));
        QCOMPARE(int(static_cast<std::int8_t>(b.u(speed + kFieldDigitsAt, 1))), 0);
        QCOMPARE(b.u(kRecordLengthAt, 2), std::uint32_t(recordLength));

        // The blocks: a marker block (type 1) before the second row, then one record block
        // (type 0) a row, counted on from 0; each timestamp is its row's time in 10 us,
        // rolled over at 16 bits.
        qsizetype at = dataBegin;
        std::uint32_t counter = 0;
        double previousTime = -1.0;
        for (std::size_t row = 0; row < times.size(); ++row) {
            const auto expectedStamp =
                static_cast<std::uint32_t>(std::llround(times[row] * 100000.0) & 0xFFFF);
            if (row == 1) {
                QCOMPARE(b.u(at, 1), 1u);
                QCOMPARE(b.u(at + 1, 1), counter++ & 0xFF);
                QCOMPARE(b.u(at + 2, 2), expectedStamp);
                QCOMPARE(b.text(at + kBlockHeadBytes, kMarkerTextBytes), QByteArray("1 hill"));
                at += kBlockHeadBytes + kMarkerTextBytes;
            }
            QCOMPARE(b.u(at, 1), 0u);
            QCOMPARE(b.u(at + 1, 1), counter++ & 0xFF);
            QCOMPARE(b.u(at + 2, 2), expectedStamp);
            const qsizetype record = at + kBlockHeadBytes;
            const double seconds = b.u(record, 4) * scale;
            QVERIFY2(std::abs(seconds - times[row]) <= scale / 2 + 1e-6,
                     qPrintable(QString::number(seconds)));
            QVERIFY(seconds > previousTime);
            previousTime = seconds;
            QCOMPARE(b.u(record + 4, 1), row == 2 ? 0u : 0x06u);
            QCOMPARE(b.f32(record + 5), 1000.0f + 250.0f * float(row));
            QCOMPARE(b.f32(record + 5 + 4 * 4), 13.5f);      // battery
            QVERIFY(std::isnan(b.f32(record + 5 + 4 * 1)));  // throttle: never read
            std::uint8_t sum = 0;
            for (int i = 0; i < recordLength; ++i) {
                sum = std::uint8_t(sum + std::uint8_t(b.data[record + i]));
            }
            QCOMPARE(b.u(record + recordLength, 1), std::uint32_t(sum));
            at = record + recordLength + 1;
        }
        QCOMPARE(at, b.data.size());
    }
};

QTEST_GUILESS_MAIN(MlgLayoutTest)
#include "MlgLayoutTest.moc"
