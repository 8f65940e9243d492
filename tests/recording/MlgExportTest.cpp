// The export to the engine-log format read back by an independent reader (the mlg-converter
// package from the npm registry, run with node): every value, empty cell and marker of the
// recording comes back, in both versions of the format.
#include "DataColumns.h"
#include "recording/MlgExport.h"
#include "recording/RecordingFormat.h"
#include "recording/RecordingReader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

using namespace quillmark;
using namespace quillmark::test;

namespace {

// Rows over more than the 0.65 s a block timestamp spans, with a value that failed to read in
// every column somewhere, and markers with and without text that a CSV or a fixed field could
// break: a comma, quotes, a character outside ASCII, a text at the longest.
QByteArray knownRecording() {
    QByteArray text = recordingHeaderLine();
    for (int i = 0; i < 40; ++i) {
        RecordingRow row;
        row.seconds = i * 0.5 + (i % 3) * 0.001;
        row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
        row.statusRaw = (i * 37) % 256;
        for (std::size_t v = 0; v < kRecordedValues.size(); ++v) {
            if ((i + static_cast<int>(v)) % 7 != 0) {
                row.values[v] = float(i) * 37.25f - float(v) * 101.0f + 0.0625f * float(v);
            }
        }
        const std::map<int, QString> marked{{0, QString()},
                                            {13, QStringLiteral("hill, \"top\"")},
                                            {14, QStringLiteral("Kurve \u00E4 \u2192 links")},
                                            {39, QString(kMaxMarkerText, QLatin1Char('x'))}};
        if (const auto it = marked.find(i); it != marked.end()) {
            row.markers = {RecordingMarker{int(std::distance(marked.begin(), it)) + 1, it->second}};
        }
        // A key press and an alarm on one row: a block each, in the row's order.
        if (i == 14) {
            row.markers.push_back(
                {1, QStringLiteral("Battery 11.6 V below 12.0 V"), MarkerKind::Alarm});
        }
        text += recordingRowLine(row);
    }
    return text;
}

}  // namespace

class MlgExportTest final : public QObject {
    Q_OBJECT
private slots:
    void export_readBackByTheIndependentReader_data() {
        columns<int>("version");
        QTest::newRow("version 2, as the menu writes") << 2;
        QTest::newRow("version 1") << 1;
    }
    void export_readBackByTheIndependentReader() {
        QFETCH(int, version);
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        if (node.isEmpty()) {
            QSKIP("node is not installed (scripts/install-deps.sh installs it)");
        }
        if (!QDir(QStringLiteral(QUILLMARK_NPM_DIR "/node_modules/mlg-converter")).exists()) {
            QSKIP(qPrintable(QStringLiteral("the npm package mlg-converter is not in %1 "
                                            "(scripts/install-deps.sh installs it)")
                                 .arg(QStringLiteral(QUILLMARK_NPM_DIR))));
        }
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("run.csv"));
        const QString mlg = dir.filePath(QStringLiteral("run.mlg"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(knownRecording());
        file.close();
        const MlgExportResult result =
            exportRecordingToMlg(csv, mlg, static_cast<std::uint16_t>(version));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(result.rows, 40L);
        QCOMPARE(result.markers, 5);

        QProcess reader;
        reader.start(node, {QStringLiteral(QUILLMARK_TEST_DIR "/read-mlg.js"),
                            QStringLiteral(QUILLMARK_NPM_DIR "/node_modules"), mlg});
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        const QJsonObject read = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        QCOMPARE(read[QStringLiteral("fileFormat")].toString(), QStringLiteral("MLVLG"));
        QCOMPARE(read[QStringLiteral("writtenVersion")].toInt(), version);

        const QJsonArray fields = read[QStringLiteral("fields")].toArray();
        QCOMPARE(fields.size(), qsizetype(kMlgChannels.size()));
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const QJsonObject field = fields[i].toObject();
            const MlgChannel& channel = kMlgChannels[static_cast<std::size_t>(i)];
            QCOMPARE(field[QStringLiteral("name")].toString(), QString::fromLatin1(channel.name));
            QCOMPARE(field[QStringLiteral("units")].toString(), QString::fromLatin1(channel.units));
            QCOMPARE(field[QStringLiteral("scale")].toDouble(), double(channel.scale));
            QCOMPARE(field[QStringLiteral("digits")].toInt(), int(channel.digits));
        }

        // Every row in order, each marker in the block just before its row, as the CSV has it.
        const std::vector<RecordingRow> rows = readRecordingFile(csv).rows;
        const QJsonArray records = read[QStringLiteral("records")].toArray();
        const QJsonArray messages = read[QStringLiteral("messages")].toArray();
        std::size_t row = 0;
        qsizetype marker = 0;
        std::vector<QJsonObject> markerBlocks;
        for (const QJsonValue& value : records) {
            const QJsonObject record = value.toObject();
            if (record[QStringLiteral("type")].toString() == QStringLiteral("marker")) {
                markerBlocks.push_back(record);
                continue;
            }
            QVERIFY(row < rows.size());
            const RecordingRow& expected = rows[row];
            const double time = record[QStringLiteral("Time")].toDouble() * kMlgChannels[0].scale;
            QVERIFY2(std::abs(time - expected.seconds) < 0.0005, qPrintable(QString::number(time)));
            QCOMPARE(record[QStringLiteral("Status")].toInt(), *expected.statusRaw);
            for (std::size_t v = 0; v < kRecordedValues.size(); ++v) {
                const QJsonValue got = record[QString::fromLatin1(kMlgChannels[v + 2].name)];
                if (!expected.values[v]) {
                    QVERIFY2(got.isNull(), qPrintable(QStringLiteral("row %1").arg(row)));
                } else {
                    QCOMPARE(float(got.toDouble()), *expected.values[v]);
                }
            }
            QCOMPARE(markerBlocks.size(), expected.markers.size());
            for (std::size_t m = 0; m < markerBlocks.size(); ++m) {
                QCOMPARE(markerBlocks[m].value(QStringLiteral("timestamp")),
                         record[QStringLiteral("timestamp")]);
                QCOMPARE(messages[marker++].toString(), markerCellText(expected.markers[m]));
            }
            markerBlocks.clear();
            ++row;
        }
        QCOMPARE(row, rows.size());
        QCOMPARE(marker, qsizetype{5});
    }
};

QTEST_GUILESS_MAIN(MlgExportTest)
#include "MlgExportTest.moc"
