// Opening long recordings: a day at the polling period, and a file past the size the reader
// used to refuse; and exporting a day's recording. Prints the time to open and the memory the rows take; fails only when a file
// the program wrote does not open, or opening takes far past its target.
#include "realtime/recording/MlgExport.h"
#include "realtime/recording/RecordingFormat.h"
#include "realtime/recording/RecordingReader.h"
#include "realtime/recording/TickRows.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;

namespace {

// Resident memory in kB, from the kernel's own count.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// A full VR tick as the window records it, every 0.5 s.
bool writeRecording(const QString& path, long rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray text = recordingHeaderLine();
    for (long i = 0; i < rows; ++i) {
        RecordingRow row;
        row.seconds = i * 0.5;
        row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
        row.statusRaw = 0x06;
        row.status = statusOnOneLine(0x06);
        const auto count = std::uint8_t(i % 250);
        for (const Quantity quantity : kRecordedValues) {
            row.setValue(quantity, float(count));
            row.answers.push_back({0x22, QByteArray::fromHex("AA") + char(count)});
        }
        text += recordingRowLine(row);
        if (text.size() > (1 << 20) || i + 1 == rows) {
            if (file.write(text) != text.size()) {
                return false;
            }
            text.clear();
        }
    }
    return true;
}

}  // namespace

class RecordingOpenBench final : public QObject {
    Q_OBJECT
private slots:
    void longRecordingsOpen_data() {
        QTest::addColumn<long>("rows");
        QTest::newRow("24 hours at 2 per second") << 172'800L;
        QTest::newRow("67 hours, past 64 MiB") << 480'000L;
    }
    void longRecordingsOpen() {
        QFETCH(long, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.csv"));
        QVERIFY(writeRecording(path, rows));
        const long before = residentKb();
        QElapsedTimer timer;
        timer.start();
        const RecordingContents contents = readRecordingFile(path);
        const double seconds = timer.nsecsElapsed() / 1e9;
        const long after = residentKb();
        QVERIFY2(contents.ok(), qPrintable(recordingProblemText(path, contents)));
        QCOMPARE(long(contents.rows.size()), rows);
        qInfo("%ld rows, %.1f MB on disk: opened in %.2f s, %.0f MB resident for the rows "
              "(%.0f bytes a row)",
              rows, QFileInfo(path).size() / 1e6, seconds, (after - before) / 1024.0,
              (after - before) * 1024.0 / double(rows));
        QVERIFY2(seconds < 60.0, "far past the target: a clear regression");
    }

    // The export runs beside the window; its time is how long the user waits for the box.
    void dayOfRecordingExports() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("day.csv"));
        QVERIFY(writeRecording(path, 172'800L));
        QElapsedTimer timer;
        timer.start();
        const MlgExportResult result =
            exportRecordingToMlg(path, dir.filePath(QStringLiteral("day.mlg")));
        const double seconds = timer.nsecsElapsed() / 1e9;
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        qInfo("24 h at 2 per second exported in %.2f s, %.1f MB", seconds,
              QFileInfo(dir.filePath(QStringLiteral("day.mlg"))).size() / 1e6);
        QVERIFY2(seconds < 60.0, "far past the target: a clear regression");
    }
};

QTEST_GUILESS_MAIN(RecordingOpenBench)
#include "RecordingOpenBench.moc"
