// A run recorded from the simulator, replayed by the simulator from that file and recorded
// again: both files must hold the same readings, row for row.
#include "RecordingRun.h"
#include "recording/RecordingReader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

namespace {

constexpr int kTicks = 20;  // past the idle start of the drive cycle
constexpr int kTickMs = 500;

// Records kTicks ticks at the polling period; the file's path.
QString record(RecordingRun& run, const QString& folder, const QString& name) {
    const QString path = run.startRecording(folder, name);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; path.size() > 0 && i < kTicks; ++i) {
        run.cycle.pollOnce();
        QTest::qWait(int(std::max<qint64>(1, (i + 1) * kTickMs - timer.elapsed())));
    }
    run.recorder.stop();
    return path;
}

struct Simulator {
    QProcess process;
    QString device;
    explicit Simulator(const QStringList& args) {
        process.start(qEnvironmentVariable("QUILLMARK_BUILD_BIN") + "/quillmark-sim", args);
        if (process.waitForReadyRead(5000)) {
            device = QString::fromLocal8Bit(process.readLine()).trimmed();
        }
    }
    ~Simulator() {
        process.terminate();
        process.waitForFinished(2000);
    }
};

}  // namespace

class RecordReplayTest final : public QObject {
    Q_OBJECT
private slots:
    void recordReplayRecord_givesTheSameReadings() {
        QTemporaryDir dir;
        QString first;
        {
            Simulator sim({"--no-pace"});
            QVERIFY(!sim.device.isEmpty());
            RecordingRun run(sim.device);
            first = record(run, dir.path(), QStringLiteral("first.csv"));
            QVERIFY(run.boxes.shown.isEmpty());
            QCOMPARE(run.recorder.rowsWritten(), long(kTicks));
        }
        QString second;
        {
            Simulator sim({"--replay", first, "--no-pace"});
            QVERIFY2(!sim.device.isEmpty(), sim.process.readAllStandardError().constData());
            RecordingRun run(sim.device);
            second = record(run, dir.path(), QStringLiteral("second.csv"));
            QVERIFY(run.boxes.shown.isEmpty());
        }
        const RecordingContents a = readRecordingFile(first);
        const RecordingContents b = readRecordingFile(second);
        QVERIFY2(a.ok() && b.ok(), qPrintable(a.error + b.error));
        QCOMPARE(b.rows.size(), a.rows.size());
        for (std::size_t i = 0; i < a.rows.size(); ++i) {
            QCOMPARE(b.rows[i].statusRaw, a.rows[i].statusRaw);
            QCOMPARE(b.rows[i].status, a.rows[i].status);
            QCOMPARE(b.rows[i].values, a.rows[i].values);
            QCOMPARE(b.rows[i].answers, a.rows[i].answers);
            QVERIFY(a.rows[i].value(Quantity::Retard).has_value());
        }
        // The drive cycle moves within the run, so equal rows are not a frozen engine.
        QVERIFY(a.rows.front().values != a.rows.back().values);

        // Not a recording: the simulator refuses it and names the line.
        QProcess bad;
        bad.start(qEnvironmentVariable("QUILLMARK_BUILD_BIN") + "/quillmark-sim",
                  {"--replay", QFINDTESTDATA("RecordReplayTest.cpp")});
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("line 1"));
    }
};

QTEST_GUILESS_MAIN(RecordReplayTest)
#include "RecordReplayTest.moc"
