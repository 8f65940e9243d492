// The recording file: number text in any locale, empty cells for missing reads, a write that
// fails part-way, and the reader handed every kind of file that is not a recording.
#include "DataColumns.h"
#include "FakeTime.h"
#include "MemorySettingsStore.h"
#include "recording/BackgroundFileWriter.h"
#include "recording/DecimalText.h"
#include "recording/Recorder.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingFormat.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWriter.h"
#include "recording/TickRows.h"

#include <QBuffer>
#include <QDir>
#include <QLocale>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <charconv>
#include <clocale>
#include <cmath>
#include <csignal>
#include <random>

#include <sys/resource.h>

using namespace quillmark;
using namespace quillmark::test;
using namespace std::chrono_literals;

namespace {

RecordingRow sampleRow(double seconds) {
    RecordingRow row;
    row.seconds = seconds;
    row.clock = QStringLiteral("2026-12-07T11:43:07.125+01:00");
    row.statusRaw = 0x16;
    row.status = statusOnOneLine(0x16);
    row.setValue(Quantity::EngineSpeed, 8000.0f);
    row.setValue(Quantity::Battery, 12.0f);
    row.setValue(Quantity::FuelMultiplier1, -50.0f);
    row.setValue(Quantity::Injector1, 262.14f);
    row.answers = {{0x2F, QByteArray::fromHex("AA16")}, {0x29, QByteArray::fromHex("00FFFF")}};
    return row;
}

// The bytes written to a file and read back through a file reader.
template <typename Contents = RecordingContents>
Contents readBack(const QByteArray& text, Contents (*read)(const QString&) = &readRecordingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return {};
    }
    file.close();
    return read(path);
}

RecordingColumnsContents columnsBack(const QByteArray& text) {
    return readBack(text, &readRecordingColumns);
}

QByteArray recordingText(int rows) {
    QByteArray text = recordingHeaderLine();
    for (int i = 0; i < rows; ++i) {
        text += recordingRowLine(sampleRow(i * 0.5));
    }
    return text;
}

// Takes a byte budget, then fails the way a full disk does: the write that reaches the end
// takes what fits and reports that count, and only the next one is refused with a reason.
class FillingDevice final : public QBuffer {
public:
    explicit FillingDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        if (room_ == 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 taken = std::min(length, room_);
        room_ -= taken;
        return QBuffer::writeData(data, taken);
    }

private:
    qint64 room_;
};

// A disk that stalls: every write waits until the test lets it go.
class StallingDevice final : public QBuffer {
public:
    explicit StallingDevice(QByteArray* data) : QBuffer(data) { open(QIODevice::WriteOnly); }
    void release() { stalled_.release(1 << 20); }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        stalled_.acquire();
        stalled_.release();
        return QBuffer::writeData(data, length);
    }

private:
    QSemaphore stalled_;
};

}  // namespace

class RecordingFileTest final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // What a German desktop hands the program; numbers must keep their '.' regardless.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_ALL, "");  // NOLINT(concurrency-mt-unsafe): no other thread yet
    }

    void numbers_shortestTextThatReadsBackAsTheSameSingle_data() {
        columns<float, QByteArray>("value", "text");
        QTest::newRow("battery") << 12.0f << QByteArray("12");
        QTest::newRow("speed") << 8000.0f << QByteArray("8000");
        QTest::newRow("fuel") << -50.0f << QByteArray("-50");
        QTest::newRow("injector") << 262.14f << QByteArray("262.14");
        QTest::newRow("retard") << 0.0625f << QByteArray("0.0625");
        QTest::newRow("fuel step") << float(1 * 100 / 128.0 - 100.0) << QByteArray("-99.21875");
    }
    void numbers_shortestTextThatReadsBackAsTheSameSingle() {
        QFETCH(float, value);
        QFETCH(QByteArray, text);
        QCOMPARE(shortestFloatText(value), text);
    }

    // Through the writer and the reader: every value a gauge can show, and single values of
    // every size a hand-edited file might hold.
    void everyGaugeValue_readsBackBitForBit() {
        std::vector<RecordingRow> rows;
        for (int low = 0; low < 256; ++low) {
            for (const int high : {0, 1, 255}) {
                RecordingRow& row = rows.emplace_back(sampleRow(0));
                for (const Quantity quantity : kRecordedValues) {
                    row.setValue(quantity,
                                 convertReading(quantity, std::uint8_t(low), std::uint8_t(high),
                                                QStringLiteral("Corvane II VR")));
                }
            }
        }
        std::mt19937 random(4242);
        std::uniform_real_distribution<float> exponent(-4.0f, 7.0f);
        for (int i = 0; i < 5000; ++i) {
            RecordingRow& row = rows.emplace_back(sampleRow(0));
            for (const Quantity quantity : kRecordedValues) {
                const float magnitude = std::pow(10.0f, exponent(random));
                row.setValue(quantity, i % 2 == 0 ? magnitude : -magnitude);
            }
        }
        QByteArray text = recordingHeaderLine();
        for (const RecordingRow& row : rows) {
            text += recordingRowLine(row);
        }
        const RecordingContents back = parseRecording(text);
        QVERIFY2(back.ok(), qPrintable(back.error));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QVERIFY2(back.rows[i].values == rows[i].values, recordingRowLine(rows[i]).constData());
        }
    }

    void row_writesItsColumnsWithEmptyCellsForMissingReads() {
        const QByteArray line = recordingRowLine(sampleRow(1.5));
        QCOMPARE(line, QByteArray("1.500,2026-12-07T11:43:07.125+01:00,22,Engine Running / "
                                  "Basic Mode,8000,,-50,,12,262.14,,,2F:AA16 29:00FFFF,\n"));
        QVERIFY(!recordingHeaderLine().startsWith("\xEF\xBB\xBF"));

        const RecordingContents back = parseRecording(recordingText(3));
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.rows.size(), std::size_t{3});
        QCOMPARE(back.rows[1].values, sampleRow(0.5).values);
        QVERIFY(!back.rows[1].value(Quantity::Throttle).has_value());
        QCOMPARE(back.rows[1].answers, sampleRow(0.5).answers);
        QCOMPARE(back.rows[2].seconds, 1.0);
    }

    void marker_keepsItsTextSafeInTheFile_data() {
        columns<QString, QString, QByteArray>("typed", "kept", "cell");
        QTest::newRow("number only") << ""
                                     << "" << QByteArray("7");
        QTest::newRow("comma and quotes")
            << "hill, \"top\""
            << "hill, \"top\"" << QByteArray("\"7 hill, \"\"top\"\"\"");
        QTest::newRow("line breaks and tabs") << "up\r\nthe\thill "
                                              << "up the hill" << QByteArray("7 up the hill");
        QTest::newRow("beyond the longest") << QString(60, 'x') << QString(kMaxMarkerText, 'x')
                                            << "7 " + QByteArray(kMaxMarkerText, 'x');
        QTest::newRow("outside ASCII") << "Kurve \u00E4"
                                       << "Kurve \u00E4" << QByteArray("7 Kurve \xC3\xA4");
    }
    void marker_keepsItsTextSafeInTheFile() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QByteArray, cell);
        RecordingRow row = sampleRow(1);
        row.marker = RecordingMarker{7, markerText(typed)};
        QCOMPARE(row.marker->text, kept);
        const QByteArray line = recordingRowLine(row);
        QVERIFY2(line.endsWith(",2F:AA16 29:00FFFF," + cell + '\n'), line.constData());
        const RecordingContents back = parseRecording(recordingHeaderLine() + line);
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.rows.front().marker, row.marker);
    }

    // F9 marks the row of that moment and asks for the text; the rows meanwhile wait, in
    // order, and go into the file once it is given, or when the recording stops first.
    void marker_awaitingItsText_holdsTheRowsInOrder_data() {
        columns<bool>("stopFirst");
        QTest::newRow("text given") << false;
        QTest::newRow("stopped while asked") << true;
    }
    void marker_awaitingItsText_holdsTheRowsInOrder() {
        QFETCH(bool, stopFirst);
        QTemporaryDir dir;
        NewRecordingFile file = createRecordingFile(dir.path(), QStringLiteral("run.csv"));
        FakeClock clock;
        Recorder recorder(clock, {});
        QCOMPARE(recorder.start(std::move(file.file), file.path), QString());
        const double start = std::chrono::duration<double>(clock.time).count();
        recorder.addRow(sampleRow(start));
        const int asked = recorder.openMarker();
        recorder.addRow(sampleRow(start + 1));
        QCOMPARE(recorder.addMarker(QStringLiteral("alarm")), 2);
        recorder.addRow(sampleRow(start + 2));
        recorder.addRow(sampleRow(start + 3));
        QTRY_COMPARE(recorder.rowsWritten(), 1L);
        if (!stopFirst) {
            recorder.finishMarker(asked, QStringLiteral("hill"));
            QTRY_COMPARE(recorder.rowsWritten(), 4L);
        }
        recorder.stop();
        QCOMPARE(recorder.rowsWritten(), 4L);
        const RecordingContents back = readRecordingFile(file.path);
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.rows.size(), std::size_t{4});
        for (std::size_t i = 0; i < back.rows.size(); ++i) {
            QCOMPARE(back.rows[i].seconds, double(i));
        }
        QVERIFY(!back.rows[0].marker && !back.rows[3].marker);
        QCOMPARE(back.rows[1].marker,
                 std::optional(RecordingMarker{1, stopFirst ? QString() : QStringLiteral("hill")}));
        QCOMPARE(back.rows[2].marker, std::optional(RecordingMarker{2, QStringLiteral("alarm")}));
    }

    void failedWrite_stopsTheRecordingNamingFileAndReason() {
        FakeClock clock;
        QString failedPath;
        QString failedReason;
        Recorder recorder(clock, [&](const QString& path, const QString& reason) {
            failedPath = path;
            failedReason = reason;
        });
        const qint64 room =
            recordingHeaderLine().size() + 2 * recordingRowLine(sampleRow(0)).size() + 10;
        auto device = std::make_unique<FillingDevice>(room);
        QCOMPARE(recorder.start(std::move(device), QStringLiteral("/logs/run.csv")), QString());
        for (int i = 0; i < 3; ++i) {
            recorder.addRow(sampleRow(std::chrono::duration<double>(clock.time).count() + i));
        }
        // The rows are written on the writer's thread; the recording's own clock finds the
        // failure when no more rows come.
        QTRY_VERIFY((recorder.checkForFailure(), !recorder.recording()));
        QCOMPARE(recorder.rowsWritten(), 2L);
        QCOMPARE(failedPath, QStringLiteral("/logs/run.csv"));
        QCOMPARE(failedReason, QStringLiteral("No space left on device"));
    }

    void stalledDisk_neverHoldsTheTickAndCountsTheRowsItLeftOut() {
        QByteArray data;
        auto device = std::make_unique<StallingDevice>(&data);
        StallingDevice& disk = *device;
        constexpr std::size_t kRoom = 4;
        BackgroundFileWriter writer(std::move(device), 1s, kRoom);
        // With the disk stalled, no call may wait for it: were one to, the test would hang here.
        int queued = 0;
        for (int i = 0; i < 20; ++i) {
            queued += writer.queue(QByteArray::number(i) + '\n', i) ? 1 : 0;
        }
        // The writer may have taken a batch of up to kRoom rows to the disk before the queue
        // filled again; the rest were left out.
        QVERIFY2(queued >= int(kRoom) && queued <= 2 * int(kRoom),
                 qPrintable(QString::number(queued)));
        QCOMPARE(writer.dropped(), long(20 - queued));
        disk.release();
        QCOMPARE(writer.finish(), QString());
        QCOMPARE(writer.written(), long(queued));
        QByteArray expected;
        for (int i = 0; i < queued; ++i) {
            expected += QByteArray::number(i) + '\n';
        }
        QCOMPARE(data, expected);
        QCOMPARE(writer.lastWritten(), std::optional<double>(queued - 1));
    }

    void alwaysFullDevice_failsTheHeaderWithTheSystemsReason() {
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            QSKIP("/dev/full cannot be opened here");
        }
        RecordingWriter writer(full);
        const QString error = writer.writeHeader();
        QVERIFY2(error.contains(QStringLiteral("space")), qPrintable(error));
    }

    void diskFullMidRow_leavesOnlyWholeRows() {
        // A file size limit makes the kernel refuse the write part-way through a row, as a
        // full disk does.
        QTemporaryDir dir;
        NewRecordingFile file = createRecordingFile(dir.path(), QStringLiteral("full.csv"));
        QVERIFY(file.file);
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur =
            rlim_t(recordingHeaderLine().size() + 2 * recordingRowLine(sampleRow(0)).size() + 20);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        RecordingWriter writer(*file.file);
        QString error = writer.writeHeader();
        int rows = 0;
        while (error.isEmpty() && rows < 10) {
            error = writer.writeRow(sampleRow(rows));
            rows += error.isEmpty() ? 1 : 0;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        file.file->close();
        QCOMPARE(rows, 2);
        QVERIFY(!error.isEmpty());
        QFile back(file.path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        const QByteArray text = back.readAll();
        QVERIFY(text.endsWith('\n'));
        QCOMPARE(parseRecording(text).rows.size(), std::size_t{2});
    }

    void newFile_neverOverwritesAndNamesModelAndLocalTime() {
        QTemporaryDir dir;
        const QString name = recordingFileName(QStringLiteral("Corvane II VR"),
                                               QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)));
        QCOMPARE(name, QStringLiteral("quillmark_Corvane_II_VR_20261207_090503.csv"));
        QCOMPARE(modelFromRecordingName(name), QStringLiteral("Corvane II VR"));
        QCOMPARE(modelFromRecordingName(QStringLiteral("quillmark_Corvane_20261207_090503_2.csv")),
                 QStringLiteral("Corvane"));
        QCOMPARE(modelFromRecordingName(QStringLiteral("run.csv")), QString());
        const QString folder = dir.filePath(QStringLiteral("made/on/demand"));
        NewRecordingFile first = createRecordingFile(folder, name);
        QVERIFY2(first.file, qPrintable(first.error));
        first.file->write("kept");
        first.file->close();
        const NewRecordingFile second = createRecordingFile(folder, name);
        QVERIFY(second.file);
        QVERIFY(second.path.endsWith(QStringLiteral("_090503_2.csv")));
        QFile kept(first.path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("kept"));
    }

    void recordedModel_comesFromTheRowsBeforeTheName_data() {
        columns<QString, bool, QString, QString>("model", "engineTurned", "fileName", "found");
        const QString vr = QStringLiteral("Corvane II VR");
        const QString two = QStringLiteral("Corvane II");
        const QString plain = QStringLiteral("Corvane");
        const QString vrName = QStringLiteral("quillmark_Corvane_II_VR_20261207_090503.csv");
        QTest::newRow("VR") << vr << true << "run.csv" << vr;
        QTest::newRow("II") << two << true << "run.csv" << two;
        QTest::newRow("plain") << plain << true << "run.csv" << plain;
        QTest::newRow("renamed to another model") << plain << true << vrName << plain;
        QTest::newRow("engine off, by name") << vr << false << vrName << vr;
        QTest::newRow("engine off, no name") << vr << false << "run.csv"
                                             << "";
    }
    void recordedModel_comesFromTheRowsBeforeTheName() {
        QFETCH(QString, model);
        QFETCH(bool, engineTurned);
        QFETCH(QString, fileName);
        QFETCH(QString, found);
        std::vector<RecordingRow> rows(3);
        const std::uint8_t count = engineTurned ? 200 : 0;
        for (RecordingRow& row : rows) {
            row.answers = {{0x27, QByteArray("\xAA") + char(count)}};
            row.setValue(Quantity::EngineSpeed,
                         convertReading(Quantity::EngineSpeed, count, 0, model));
            if (model != QStringLiteral("Corvane")) {
                row.answers.push_back({0x2D, QByteArray::fromHex("AA10")});
            }
        }
        QCOMPARE(recordedModel(rows, QStringLiteral("/any/where/") + fileName), found);
        if (fileName == QStringLiteral("run.csv")) {
            // Read as columns, the file tells the same.
            QByteArray text = recordingHeaderLine();
            for (RecordingRow& row : rows) {
                row.clock = QStringLiteral("2026-12-07T11:43:07.125Z");
                text += recordingRowLine(row);
            }
            QCOMPARE(columnsBack(text).model, found);
        }
    }

    void folderSetting_isTakenFromTheHome_data() {
        columns<QString, QString>("stored", "folder");
        const QString home = QDir::homePath();
        QTest::newRow("tilde") << "~/bench-runs" << home + "/bench-runs";
        QTest::newRow("tilde alone") << "~" << home;
        QTest::newRow("relative") << "bench-runs/a" << home + "/bench-runs/a";
        QTest::newRow("absolute") << "/srv/runs/"
                                  << "/srv/runs";
        QTest::newRow("unset") << "" << QString();
    }
    void folderSetting_isTakenFromTheHome() {
        QFETCH(QString, stored);
        QFETCH(QString, folder);
        MemorySettingsStore settings;
        settings.save(QStringLiteral("Quillmark"), QString::fromLatin1(kRecordingSection),
                      QString::fromLatin1(kRecordingFolderKey), stored);
        const QString shown = recordingFolder(settings);
        if (folder.isEmpty()) {
            QVERIFY(shown.endsWith(QStringLiteral("/Quillmark")) && QDir::isAbsolutePath(shown));
        } else {
            QCOMPARE(shown, folder);
        }
    }

    void reader_namesTheLineAndFaultOfAnyOtherFile_data() {
        columns<QByteArray, int, QString>("text", "line", "fault");
        const QByteArray good = recordingText(2);
        const QByteArray row = recordingRowLine(sampleRow(2));
        QByteArray shortRow = row;
        shortRow.replace(",2F:", "2F:");
        QByteArray badNumber = row;
        badNumber.replace("8000", "8000,5");
        QByteArray commaDecimal = row;
        commaDecimal.replace("262.14", "\"262,14\"");
        QByteArray binary(300, '\0');
        for (int i = 0; i < binary.size(); ++i) {
            binary[i] = char(i * 37);
        }
        QTest::newRow("empty") << QByteArray() << 1 << "empty";
        QTest::newRow("other header") << QByteArray("time;rpm\n0;800\n") << 1 << "header";
        QTest::newRow("header only") << recordingHeaderLine() << 2 << "no rows";
        QTest::newRow("short row") << good + shortRow << 4 << "found 13";
        QTest::newRow("long row") << good + badNumber << 4 << "found 15";
        QTest::newRow("marker without its number")
            << good + QByteArray(row).replace(",\n", ",hill\n") << 4 << "Marker column";
        QTest::newRow("marker column under the old header")
            << QByteArray(kRecordingHeaderWithoutMarker) + '\n' + row << 2 << "found 14";
        QTest::newRow("decimal comma") << good + commaDecimal << 4 << "Injector front";
        QTest::newRow("time backwards") << good + recordingRowLine(sampleRow(0.25)) << 4 << "back";
        QTest::newRow("bad answer")
            << good + QByteArray(row).replace("29:00FFFF", "29:0G") << 4 << "hex";
        QTest::newRow("open quote")
            << good + QByteArray(row).replace("Engine", "\"Engine") << 4 << "quoted";
        QTest::newRow("binary") << binary << 1 << "header";
        QTest::newRow("binary after header") << good + binary + '\n' << 4 << "";
        QTest::newRow("endless line") << good + QByteArray(10'000'000, 'x') + '\n' << 4 << "longer";
        QTest::newRow("blank between rows") << good + "\n\n" + row << 4 << "blank";
        QTest::newRow("time beyond ten years")
            << good + recordingRowLine(sampleRow(1e15)) << 4 << "ten years";
        QTest::newRow("answers two spaces apart")
            << good + QByteArray(row).replace("AA16 29", "AA16  29") << 4 << "hex";
        QTest::newRow("answer of 17 bytes")
            << good + QByteArray(row).replace("00FFFF", QByteArray(34, 'F')) << 4 << "hex";
        QTest::newRow("the 29th of February 2027")
            << good + QByteArray(row).replace("2026-12-07", "2027-02-29") << 4 << "Clock";
        QTest::newRow("the 60th minute")
            << good + QByteArray(row).replace("11:43:07", "11:60:07") << 4 << "Clock";
    }
    void reader_namesTheLineAndFaultOfAnyOtherFile() {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QFETCH(QString, fault);
        // The text in memory and the same bytes read from a file line by line.
        for (const RecordingContents& contents : {parseRecording(text), readBack(text)}) {
            QVERIFY(!contents.ok());
            QCOMPARE(contents.errorLine, line);
            QVERIFY2(contents.error.contains(fault), qPrintable(contents.error));
            QVERIFY(contents.rows.empty());
        }
        // The compact columns are read by the same rules.
        const RecordingColumnsContents compact = columnsBack(text);
        QCOMPARE(compact.errorLine, line);
        QVERIFY2(compact.error.contains(fault), qPrintable(compact.error));
        QVERIFY(compact.columns.empty());
    }

    void reader_takesWhatEditorsAndCrashesLeave_data() {
        columns<QByteArray, int>("text", "rows");
        const QByteArray good = recordingText(2);
        QTest::newRow("torn last row") << good + recordingRowLine(sampleRow(5)).left(30) << 2;
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + good << 2;
        QTest::newRow("blank lines at the end") << good + "\n\r\n\n" << 2;
        QTest::newRow("CRLF line ends") << QByteArray(good).replace("\n", "\r\n") << 2;
        QTest::newRow("29th of February 2028, in UTC")
            << QByteArray(good).replace("2026-12-07T11:43:07.125+01:00", "2028-02-29T11:43:07.125Z")
            << 2;
        QTest::newRow("clock west of UTC")
            << QByteArray(good).replace("07.125+01:00", "07.125-09:30") << 2;
        QTest::newRow("clock without milliseconds")
            << QByteArray(good).replace("07.125+01:00", "07+01:00") << 2;
        QTest::newRow("status with a comma and quotes")
            << QByteArray(good).replace(",Engine Running / Advanced Mode,",
                                        ",\"Said \"\"stop\"\", then Engine Running\",")
            << 2;
        // Recorded before the Marker column existed.
        QTest::newRow("no Marker column")
            << QByteArray(good).replace(",\n", "\n").replace(",Marker\n", "\n") << 2;
        QTest::newRow("markers with a quoted text")
            << QByteArray(good).replace(",\n", ",\"1 hill, \"\"top\"\"\"\n") << 2;
    }
    void reader_takesWhatEditorsAndCrashesLeave() {
        QFETCH(QByteArray, text);
        QFETCH(int, rows);
        for (const RecordingContents& contents : {parseRecording(text), readBack(text)}) {
            QVERIFY2(contents.ok(), qPrintable(contents.error));
            QCOMPARE(contents.rows.size(), std::size_t(rows));
            QCOMPARE(contents.rows.back().values, sampleRow(0).values);
        }
        const RecordingColumnsContents compact = columnsBack(text);
        QVERIFY2(compact.ok(), qPrintable(compact.error));
        const RecordingContents whole = parseRecording(text);
        QCOMPARE(compact.columns.size(), whole.rows.size());
        auto marker = compact.columns.markers().begin();
        for (std::size_t i = 0; i < whole.rows.size(); ++i) {
            const RecordingRow& row = whole.rows[i];
            if (row.marker) {
                QVERIFY(marker != compact.columns.markers().end());
                QCOMPARE(marker->row, i);
                QCOMPARE(marker->marker, *row.marker);
                ++marker;
            }
            QCOMPARE(compact.columns.times()[i], row.seconds);
            QCOMPARE(compact.columns.clock(i), row.clock);
            QCOMPARE(compact.columns.status(i).text, row.status);
            QCOMPARE(compact.columns.status(i).raw, row.statusRaw);
            for (const Quantity quantity : kRecordedValues) {
                const float value = compact.columns.values(quantity)[i];
                QCOMPARE(std::isnan(value) ? std::nullopt : std::optional(value),
                         row.value(quantity));
            }
        }
        QVERIFY(marker == compact.columns.markers().end());
        QVERIFY(!readRecordingFile(QStringLiteral("/nonexistent/missing.csv")).ok());
    }
};

QTEST_GUILESS_MAIN(RecordingFileTest)
#include "RecordingFileTest.moc"
