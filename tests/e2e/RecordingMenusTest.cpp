// The program with its recording entries against the simulator: the menus, a recording made
// from the real-time panel and ended by closing it, and a recording played back with the
// port closed.
#include "ProgramHarness.h"
#include "analysis/AlarmLimits.h"
#include "analysis/RunAlignment.h"
#include "recording/PlaybackDriver.h"
#include "recording/RecordingReader.h"
#include "shell/WindowFeatures.h"
#include "shell/recording/MarkerTextBox.h"
#include "widgets/cells/TimeAtCellWidget.h"
#include "widgets/chart/ChartWidget.h"

#include "DataColumns.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <csignal>

#include <sys/resource.h>

using namespace quillmark;
using namespace quillmark::test;

namespace {

struct Harness : ProgramHarness {
    QTemporaryDir folder;
    QString chosen;
    std::optional<ComparisonRequest> comparison;
    std::optional<ComparisonRequest> lastComparison;  // what the box was opened with
    ExportTarget exportTo;
    WindowFeatures features{
        window, logic, state,
        RecordingPlatform{
            clock, boxes, settings, [this](const QString&) { return chosen; },
            [this](const QString&) { return chosen; }, [this](const QString&) { return exportTo; },
            [this](const QString&, const QString&, const std::optional<ComparisonRequest>& last) {
                lastComparison = last;
                return comparison;
            }}};
    Harness() {
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Recording"),
                      QStringLiteral("Folder"), folder.filePath(QStringLiteral("logs")));
    }
    QAction* action(const char* name) const {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
    QStringList menu(const char* name) const {
        QStringList captions;
        for (const QAction* item : window.findChild<QMenu*>(QString::fromLatin1(name))->actions()) {
            if (item->isVisible()) {
                captions << item->text();
            }
        }
        return captions;
    }
    QStringList recordingFiles() const {
        return QDir(folder.filePath(QStringLiteral("logs"))).entryList(QDir::Files);
    }
};

}  // namespace

class RecordingMenusTest final : public QObject {
    Q_OBJECT
private slots:
    void newEntriesFollowTheExistingOnes() {
        Harness h;
        QCOMPARE(h.menu("mnuFile"), QStringList({"Start &Recording", "&Open Recording\u2026",
                                                 "&Export Recording\u2026", "E&xit"}));
        // As the program has them: the entries are wired in one place, whatever is built first.
        QCOMPARE(h.menu("mnuView"), QStringList({"View &Real Time Data", "&Chart",
                                                 "&Time at Cell\u2026", "&Alarms\u2026"}));
        // Nothing is written unless asked for; no table without a recording or the panel.
        QVERIFY(!h.action("mnuRecording")->isEnabled());
        QVERIFY(!h.action("mnuTimeAtCell")->isEnabled());
        QVERIFY(h.recordingFiles().isEmpty());
    }

    void recording_endsAndClosesWithThePanel() {
        Harness h;
        // A chart opened before the panel knows no model yet; it follows the VR once it is read.
        h.features.showChart();
        QCOMPARE(h.features.liveChart().window()->chart()->speedRedFrom(), 6000.0);
        h.openRealTime();
        QVERIFY(h.state.panelActive);
        QVERIFY(h.waitForTicks(1));
        QVERIFY(h.action("mnuRecording")->isEnabled());
        // The live table counts the panel's rows from when it opens.
        h.action("mnuTimeAtCell")->trigger();
        QVERIFY(h.features.timeAtCell().window() != nullptr);
        // Stopped before its first row: no empty file is left behind.
        h.action("mnuRecording")->trigger();
        h.action("mnuRecording")->trigger();
        QVERIFY(h.boxes.shown.last().text.startsWith(QStringLiteral("Nothing was recorded")));
        QVERIFY(h.recordingFiles().isEmpty());
        h.boxes.shown.clear();
        h.action("mnuRecording")->trigger();
        QVERIFY(h.features.recording().recording());
        QCOMPARE(h.action("mnuRecording")->text(), QStringLiteral("Stop &Recording"));
        auto* line = h.window.findChild<QLabel*>(QStringLiteral("lblRecording"));
        QVERIFY(line->isVisible());
        QVERIFY(line->text().startsWith(QStringLiteral("REC 0:0")));
        QVERIFY(h.waitForTicks(4));
        QCOMPARE(h.features.liveChart().window()->chart()->speedRedFrom(), 9500.0);
        QVERIFY(h.features.timeAtCell().window()->columns().size() >= 4);
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(h.window.grab().save(QString::fromLocal8Bit(shots) + "/recording.png"));
        }

        h.logic.cmdCloseRealTimeData_Click();
        QVERIFY(!h.features.recording().recording());
        QVERIFY(QTest::qWaitFor([&] { return !h.boxes.shown.isEmpty(); }, 2000));
        QVERIFY(h.boxes.shown.last().text.startsWith(QStringLiteral("Recording saved")));
        QVERIFY(h.boxes.shown.last().text.contains(h.folder.filePath(QStringLiteral("logs"))));
        const QStringList files = h.recordingFiles();
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith(QStringLiteral("quillmark_Corvane_II_VR_")));
        const RecordingContents contents =
            readRecordingFile(h.folder.filePath(QStringLiteral("logs/")) + files.first());
        QVERIFY2(contents.ok(), qPrintable(contents.error));
        QVERIFY(contents.rows.size() >= 4);
        QVERIFY(h.boxes.shown.last().text.startsWith(
            QStringLiteral("Recording saved: %1 rows in ").arg(contents.rows.size())));
        QVERIFY(!line->isVisible());

        // Closing the window ends the program at once: the file is closed before that.
        QVERIFY(h.openRealTimeForATick());
        h.action("mnuRecording")->trigger();
        QVERIFY(h.features.recording().recording());
        h.window.close();
        QVERIFY(!h.features.recording().recording());
    }

    // An alarm's marker sits on the sample that crossed the limit, numbered apart from the
    // user's: A1.
    void alarmMarker_sitsOnTheSampleThatCrossedTheLimit() {
        Harness h;
        AlarmController& alarms = h.features.alarms();
        AlarmLimits limits;
        limits.limits[std::size_t(alarmIndex(Quantity::Battery))].low = 12.0;
        alarms.useLimits(limits);
        h.module->engine.setFixedData(0x26, {0xAA});  // 12.0 V
        QVERIFY(h.openRealTimeForATick());
        h.action("mnuRecording")->trigger();
        QVERIFY(h.waitForTicks(2));
        h.module->engine.setFixedData(0x26, {0x80});  // 9.0 V
        QVERIFY(h.waitForTicks(3));
        h.action("mnuRecording")->trigger();
        h.logic.cmdCloseRealTimeData_Click();
        const RecordingContents contents = readRecordingFile(
            h.folder.filePath(QStringLiteral("logs/")) + h.recordingFiles().value(0));
        QVERIFY2(contents.ok(), qPrintable(contents.error));
        QStringList marks;
        for (std::size_t i = 1; i < contents.rows.size(); ++i) {
            const RecordingRow& row = contents.rows[i];
            for (const RecordingMarker& marker : row.markers) {
                marks << markerCellText(marker);
                QVERIFY(row.value(Quantity::Battery) < 12.0f);
                QCOMPARE(contents.rows[i - 1].value(Quantity::Battery), std::optional(12.0f));
            }
        }
        QCOMPARE(marks, QStringList{"A1 Battery 9.0 V below 12.0 V"});
    }

    // F9 marks the sample of that moment; the ticks and the recording go on while the box
    // waits for the text, and no row is lost, doubled or put out of order.
    void marker_sitsAtTheSampleOfF9WhileTheBoxWaits() {
        Harness h;
        QVERIFY(h.openRealTimeForATick());
        QVERIFY(!h.action("mnuAddMarker")->isVisible());
        h.features.showChart();
        h.action("mnuRecording")->trigger();
        QCOMPARE(h.menu("mnuFile"),
                 QStringList({"Stop &Recording", "Add &Marker", "&Open Recording\u2026",
                              "&Export Recording\u2026", "E&xit"}));
        QVERIFY(h.waitForTicks(2));
        const QString path =
            h.folder.filePath(QStringLiteral("logs/")) + h.recordingFiles().value(0);
        // Each row is in the file as soon as its tick is over.
        const std::uint64_t commandsBefore = h.module->logged();
        const auto rowsBefore = qsizetype(readRecordingFile(path).rows.size());
        const QDateTime pressed = QDateTime::currentDateTime();
        QTest::keyClick(&h.window, Qt::Key_F9);
        auto* box = h.window.findChild<MarkerTextBox*>();
        QVERIFY(box != nullptr && box->isVisible());
        QVERIFY(h.waitForTicks(3));
        auto* text = box->findChild<QLineEdit*>();
        QTest::keyClicks(text, QStringLiteral("hill, \"top\""));
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return h.window.findChild<MarkerTextBox*>() == nullptr; }));
        // Skipped with a key: the marker stays, without text.
        h.action("mnuAddMarker")->trigger();
        QTest::keyClick(h.window.findChild<MarkerTextBox*>(), Qt::Key_Escape);
        QVERIFY(h.waitForTicks(2));
        // The live chart flags both as they happen.
        const auto flags = h.features.liveChart().window()->chart()->series().markers();
        QCOMPARE(flags.size(), std::size_t{2});
        QCOMPARE(flags.back().marker, (RecordingMarker{2, QString()}));
        h.action("mnuRecording")->trigger();
        QVERIFY(!h.action("mnuAddMarker")->isVisible());
        // A tick opens with the status read: one row for each.
        const auto ticks = h.module->commands(commandsBefore).count(0x2F);

        const RecordingContents contents = readRecordingFile(path);
        QVERIFY2(contents.ok(), qPrintable(contents.error));
        std::vector<RecordingMarker> markers;
        std::optional<QDateTime> firstMarked;
        for (std::size_t i = 0; i < contents.rows.size(); ++i) {
            const RecordingRow& row = contents.rows[i];
            if (i > 0) {
                QVERIFY(row.seconds > contents.rows[i - 1].seconds);
                QVERIFY(row.clock > contents.rows[i - 1].clock);
            }
            for (const RecordingMarker& marker : row.markers) {
                markers.push_back(marker);
                firstMarked =
                    firstMarked.value_or(QDateTime::fromString(row.clock, Qt::ISODateWithMs));
            }
        }
        // The tick under way at either end may fall either side of the count.
        const qsizetype rows = qsizetype(contents.rows.size()) - rowsBefore;
        QVERIFY2(std::abs(rows - ticks) <= 1,
                 qPrintable(QStringLiteral("%1 rows, %2 ticks").arg(rows).arg(ticks)));
        QCOMPARE(markers, (std::vector<RecordingMarker>{{1, QStringLiteral("hill, \"top\"")},
                                                        {2, QString()}}));
        // Within one sample (500 ms) of the key.
        const qint64 off = pressed.msecsTo(*firstMarked);
        QVERIFY2(std::abs(off) <= 600, qPrintable(QString::number(off)));
    }

    void diskFull_stopsTheRecordingWithTheSystemsReasonOnceTheTickIsOver() {
        Harness h;
        QVERIFY(h.openRealTimeForATick());
        h.action("mnuRecording")->trigger();
        QVERIFY(h.waitForTicks(2));
        const QString path =
            h.folder.filePath(QStringLiteral("logs/")) + h.recordingFiles().value(0);
        // Rows reach the file from the writer's thread, a moment after their tick.
        QTRY_VERIFY(readRecordingFile(path).rows.size() >= 2);
        bool linkHeldAtBox = true;
        h.boxes.whileOpen = [&] { linkHeldAtBox = h.logic.link().activity().busy(); };
        // The file may grow by a few bytes more, then no more: the kernel takes part of the
        // next row and refuses the rest, as a full disk does.
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(QFileInfo(path).size() + 10);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool boxShown = QTest::qWaitFor([&] { return !h.boxes.shown.isEmpty(); }, 5000);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(boxShown);
        QVERIFY2(h.boxes.shown.first().text.startsWith(QStringLiteral("Recording stopped")) &&
                     h.boxes.shown.first().text.contains(QStringLiteral("(File too large)")),
                 qPrintable(h.boxes.shown.first().text));
        QVERIFY(!linkHeldAtBox);
        QVERIFY(!h.features.recording().recording());
        QVERIFY(h.waitForTicks(1));
        QVERIFY(h.state.panelActive);
        const RecordingContents kept = readRecordingFile(path);
        QVERIFY2(kept.ok() && kept.rows.size() >= 2, qPrintable(kept.error));
    }

    void playback_setsThePanelUpForTheRecordedModel_data() {
        columns<QString, bool, double, bool>("fileName", "vrAnswers", "scaleMax", "retardShown");
        QTest::newRow("Corvane after a live VR run") << "run.csv" << false << 8.0 << false;
        QTest::newRow("VR under another name") << "renamed.csv" << true << 10.0 << true;
    }
    void playback_setsThePanelUpForTheRecordedModel() {
        QFETCH(QString, fileName);
        QFETCH(bool, vrAnswers);
        QFETCH(double, scaleMax);
        QFETCH(bool, retardShown);
        Harness h;
        QVERIFY(h.openRealTimeForATick());
        QCOMPARE(h.tach()->tachScaleMax(), 10.0);
        h.logic.cmdCloseRealTimeData_Click();
        QTemporaryDir dir;
        h.chosen = dir.filePath(fileName);
        QFile file(h.chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recordingHeaderLine());
        RecordingRow row;
        row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
        row.statusRaw = 0x06;
        row.setValue(Quantity::EngineSpeed, vrAnswers ? 8000.0f : 6250.0f);
        row.answers = {{0x27, QByteArray::fromHex("AAC8")}};
        if (vrAnswers) {
            row.setValue(Quantity::Retard, 2.0f);
            row.answers.push_back({0x2D, QByteArray::fromHex("AA20")});
        }
        file.write(recordingRowLine(row));
        file.close();
        h.action("mnuOpenRecording")->trigger();
        QVERIFY(h.features.playback().driver() != nullptr);
        QCOMPARE(h.tach()->tachScaleMax(), scaleMax);
        QCOMPARE(h.bar("gauRetard")->isVisibleTo(h.panel()), retardShown);
        QCOMPARE(h.features.playback().chart()->chart()->speedRedFrom(),
                 scaleMax == 10.0 ? 9500.0 : 6000.0);
    }

    void playback_showsTheFileOnThePanelWithThePortClosed() {
        Harness h;
        QTemporaryDir dir;
        h.chosen = dir.filePath(QStringLiteral("run.csv"));
        QFile file(h.chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recordingHeaderLine());
        for (int i = 0; i < 3; ++i) {
            RecordingRow row;
            row.seconds = i * 0.5;
            row.clock = QStringLiteral("2026-12-07T10:00:0%1.000+01:00").arg(i);
            row.statusRaw = 0x06;
            row.status = QStringLiteral("Engine Running / Advanced Mode");
            row.setValue(Quantity::EngineSpeed, 1000.0f + 500.0f * float(i));
            row.setValue(Quantity::Throttle, 20.0f);
            file.write(recordingRowLine(row));
        }
        file.close();

        // The rows are checked against the limits as the live panel's are.
        h.settings.save(QStringLiteral("Quillmark"), QStringLiteral("Alarms"),
                        QStringLiteral("Engine speed High"), QStringLiteral("1200"));
        h.features.alarms().useLimits(storedLimits(h.settings).limits);
        h.action("mnuOpenRecording")->trigger();
        QVERIFY(h.boxes.shown.isEmpty());
        QVERIFY(h.panel()->isVisible());
        QCOMPARE(h.panel()->caption(), QStringLiteral("Playback of run.csv"));
        QVERIFY(!h.action("mnuViewRealTime")->isEnabled());
        QCOMPARE(h.tach()->caption(), QStringLiteral("1000"));
        QVERIFY(!h.tach()->alarmShown());
        h.features.playback().driver()->step();
        QCOMPARE(h.tach()->caption(), QStringLiteral("1500"));
        QVERIFY(h.tach()->alarmShown());
        auto* alarmLine = h.window.panelFootLine();
        QCOMPARE(alarmLine->toolTip(),
                 QStringLiteral("10:00:01 Engine speed 1500 rpm above 1200 rpm"));
        QCOMPARE(h.features.playback().chart()->chart()->cursorRow(),
                 std::optional<std::size_t>(1));
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(h.window.grab().save(QString::fromLocal8Bit(shots) + "/playback.png"));
        }
        QVERIFY(!h.port.isOpen());
        QCOMPARE(h.module->logged(), std::uint64_t{0});

        // The table of the opened file marks a chosen cell's samples on the playback's chart.
        h.action("mnuTimeAtCell")->trigger();
        TimeAtCellWindow* cells = h.features.timeAtCell().window();
        QVERIFY(cells != nullptr);
        QCOMPARE(cells->windowTitle(), QStringLiteral("Time at Cell - run.csv"));
        QCOMPARE(cells->table()->grid().cell({3, 2}).samples, 1L);
        QTest::mouseClick(cells->table(), Qt::LeftButton, {},
                          cells->table()->cellRect({3, 2}).center().toPoint());
        QCOMPARE(h.features.playback().chart()->chart()->highlights().size(), std::size_t{1});
        QCOMPARE(h.features.playback().chart()->chart()->highlights().front().start, 0.5);
        // Closing the table takes its bands off the chart.
        cells->close();
        QVERIFY(h.features.playback().chart()->chart()->highlights().empty());

        h.features.playback().chart()->close();
        QVERIFY(QTest::qWaitFor([&] { return !h.panel()->isVisible(); }, 1000));
        QVERIFY(QTest::qWaitFor([&] { return h.features.timeAtCell().window() == nullptr; }, 1000));
        QCOMPARE(h.panel()->caption(), QStringLiteral("Ombrix Real Time Data"));
        QVERIFY(h.action("mnuViewRealTime")->isEnabled());
        // The panel closed with the playback: its alarms went with it.
        QVERIFY(!h.tach()->alarmShown());
        QVERIFY(alarmLine->text().isEmpty() && alarmLine->toolTip().isEmpty());

        // Not a recording: a message naming the line, and the window stays idle.
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(recordingHeaderLine() + "1.0,not a clock\n");
        file.close();
        h.action("mnuOpenRecording")->trigger();
        QCOMPARE(h.boxes.shown.size(), 1);
        QVERIFY(h.boxes.shown.last().text.contains(QStringLiteral("line 2")));
        QVERIFY(h.features.playback().driver() == nullptr);
        QVERIFY(!h.panel()->isVisible());
    }

    // The version picked in the save dialog is the version written.
    void export_writesTheVersionChosen_data() {
        columns<int>("version");
        QTest::newRow("for older viewers") << 1;
        QTest::newRow("as it starts") << 2;
    }
    void export_writesTheVersionChosen() {
        QFETCH(int, version);
        Harness h;
        QTemporaryDir dir;
        h.chosen = dir.filePath(QStringLiteral("run.csv"));
        QFile file(h.chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recordingHeaderLine());
        RecordingRow row;
        row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
        file.write(recordingRowLine(row));
        file.close();
        h.exportTo = ExportTarget{dir.filePath(QStringLiteral("run.mlg")), std::uint16_t(version)};
        h.action("mnuExportRecording")->trigger();
        QVERIFY(QTest::qWaitFor([&] { return !h.boxes.shown.isEmpty(); }, 10000));
        QCOMPARE(h.boxes.shown.last().title, QStringLiteral("Export Recording"));
        QVERIFY2(
            h.boxes.shown.last().text.startsWith(QStringLiteral("Exported 1 row and 0 markers to")),
            qPrintable(h.boxes.shown.last().text));
        QVERIFY(!h.features.exporter().running());
        QFile log(h.exportTo.path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.read(8).mid(6), QByteArray::fromHex(version == 1 ? "0001" : "0002"));
    }

    // The runs picked to compare: one is laid over the first at its marker, one that is no
    // recording and one without the marker are each left out with a box naming file and reason.
    void compare_laysRunsOverTheFirst_andLeavesOutWhatCannotBe() {
        Harness h;
        QTemporaryDir dir;
        auto write = [&](const char* name, int markerRow, const QByteArray& tail = {}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) {
                return QString();
            }
            file.write(recordingHeaderLine());
            for (int i = 0; i < 20; ++i) {
                RecordingRow row;
                row.seconds = i * 0.5;
                row.clock = QStringLiteral("2026-12-07T10:00:00.000+01:00");
                row.statusRaw = 0x06;
                row.setValue(Quantity::EngineSpeed, 1000.0f + 100.0f * i);
                if (i == markerRow) {
                    row.markers = {RecordingMarker{2, QStringLiteral("hill")}};
                }
                file.write(recordingRowLine(row));
            }
            file.write(tail);
            return path;
        };
        h.chosen = write("a.csv", 6);
        h.action("mnuOpenRecording")->trigger();
        ChartWindow* chart = h.features.playback().chart();
        QVERIFY(chart != nullptr);
        auto* compare = chart->findChild<QPushButton*>(QStringLiteral("cmdCompare"));
        auto* clear = chart->findChild<QPushButton*>(QStringLiteral("cmdClearComparison"));
        auto* legend = chart->findChild<QLabel*>(QStringLiteral("lblLegend"));
        QVERIFY(compare->isVisibleTo(chart) && !clear->isVisibleTo(chart) &&
                !legend->isVisibleTo(chart));
        // Beside the chart, its markers; a click takes the cursor and the playback there.
        auto* markers = chart->findChild<QTreeWidget*>(QStringLiteral("lstMarkers"));
        QVERIFY(markers->isVisibleTo(chart));
        QCOMPARE(markers->topLevelItemCount(), 1);
        QTreeWidgetItem* marker = markers->topLevelItem(0);
        QCOMPARE(marker->text(0), QStringLiteral("0:03"));
        QCOMPARE(marker->text(2), QStringLiteral("hill"));
        QTest::mouseClick(markers->viewport(), Qt::LeftButton, {},
                          markers->visualItemRect(marker).center());
        QCOMPARE(chart->chart()->cursorRow(), std::optional<std::size_t>(6));
        QCOMPARE(h.features.playback().driver()->currentRow(), std::size_t{6});
        const QString broken = write("broken.csv", -1, "1.0,not a clock\n");
        const QString unmarked = write("unmarked.csv", -1);
        h.comparison =
            ComparisonRequest{{broken, write("b.csv", 10), unmarked}, {AlignAt::Marker, 2, 0.0}};
        compare->click();
        QCOMPARE(h.boxes.shown.size(), 2);
        QCOMPARE(h.boxes.shown[0].title, QStringLiteral("Compare With"));
        QVERIFY(h.boxes.shown[0].text.startsWith(broken +
                                                 QStringLiteral(" is not a recording: line 22")));
        QVERIFY(h.boxes.shown[1].text.startsWith(unmarked));
        QVERIFY(h.boxes.shown[1].text.endsWith(QStringLiteral("it has no marker 2.")));
        const auto& runs = chart->chart()->overlays();
        QCOMPARE(runs.size(), std::size_t{1});
        QCOMPARE(runs[0].name, QStringLiteral("b.csv"));
        QCOMPARE(runs[0].offset, -2.0);  // its marker 2 at 5 s onto the first's at 3 s
        QVERIFY(legend->isVisibleTo(chart) && legend->text().contains(QStringLiteral("b.csv")));
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(chart->grab().save(QString::fromLocal8Bit(shots) + "/compare-chart.png"));
        }
        // The first run lacks the moment: nothing is laid over it. The box opened with the
        // files and the alignment chosen before.
        const ComparisonRequest first = *h.comparison;
        h.comparison = ComparisonRequest{{unmarked}, {AlignAt::Marker, 5, 0.0}};
        compare->click();
        QVERIFY(h.lastComparison.has_value());
        QCOMPARE(h.lastComparison->paths, first.paths);
        QCOMPARE(h.lastComparison->alignment, first.alignment);
        QCOMPARE(h.boxes.shown.size(), 3);
        QVERIFY(h.boxes.shown[2].text.contains(
            QStringLiteral("the first run, a.csv, has no marker 5")));
        QCOMPARE(chart->chart()->overlays().size(), std::size_t{1});
        clear->click();
        QVERIFY(chart->chart()->overlays().empty());
        QVERIFY(!legend->isVisibleTo(chart) && !clear->isVisibleTo(chart));
    }
};

QTEST_MAIN(RecordingMenusTest)
#include "RecordingMenusTest.moc"
