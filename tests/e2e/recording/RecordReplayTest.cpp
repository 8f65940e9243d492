// A run recorded from the simulator, replayed by the simulator from that file and recorded
// again: both files must hold the same readings, row for row.
#include "MemorySettingsStore.h"
#include "RecordingViews.h"
#include "ScriptedMessageBoxes.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "realtime/EngineReads.h"
#include "realtime/PollingCycle.h"
#include "realtime/recording/Recorder.h"
#include "realtime/recording/RecordingFiles.h"
#include "realtime/recording/RecordingReader.h"
#include "realtime/recording/TickRows.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

namespace {

constexpr int kTicks = 20;  // past the idle start of the drive cycle
constexpr int kTickMs = 500;

// The program's polling pieces on a real serial port, recording every tick.
struct RecordingRun {
    MemorySettingsStore settings;
    QtSerialPort port{settings};
    QtClock clock;
    QtEventPump pump;
    ScriptedMessageBoxes boxes;
    std::int16_t portNumber = 1;
    SharedState state;
    ModuleLink link{port, clock, pump, boxes, portNumber};
    RecordingRealTimeView view;
    EngineReads reads{link, state, [this] { state.RealTimeActive = false; }};
    PollingCycle cycle{link, state, reads, view, [this] { state.RealTimeActive = false; }};
    TickRows rows{clock};
    QString failure;
    Recorder recorder{clock, [this](const QString&, const QString& reason) { failure = reason; }};

    explicit RecordingRun(const QString& device) {
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"), QStringLiteral("Com1"),
                      device);
        port.applySettings(LineSettings{});
        boxes.whileOpen = [this] { pump.yield(); };
        state.ModelName = QStringLiteral("Corvane II VR");
        state.RealTimeActive = true;
        reads.setObserver(&rows);
        cycle.setObserver(&rows);
        rows.addListener([this](const RecordingRow& row) { recorder.addRow(row); });
    }
    ~RecordingRun() {
        if (port.isOpen()) {
            port.close();
        }
    }

    QString record(const QString& folder, const QString& name) {
        NewRecordingFile file = createRecordingFile(folder, name);
        if (!file.file) {
            return {};
        }
        recorder.start(std::move(file.file), file.path);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kTicks; ++i) {
            cycle.tmrDataRead_Timer();
            QTest::qWait(int(std::max<qint64>(1, (i + 1) * kTickMs - timer.elapsed())));
        }
        recorder.stop();
        return file.path;
    }
};

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
            first = run.record(dir.path(), QStringLiteral("first.csv"));
            QVERIFY(run.boxes.shown.isEmpty());
            QCOMPARE(run.recorder.rowsWritten(), long(kTicks));
        }
        QString second;
        {
            Simulator sim({"--replay", first, "--no-pace"});
            QVERIFY2(!sim.device.isEmpty(), sim.process.readAllStandardError().constData());
            RecordingRun run(sim.device);
            second = run.record(dir.path(), QStringLiteral("second.csv"));
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
