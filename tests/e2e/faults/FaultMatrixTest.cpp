// Faults on the line and in the settings file, each while the real-time panel runs and, where
// it can happen, while it does not: the real program against the simulated module on a
// pseudo-terminal. Every row must leave the user told what happened where the program can
// tell, the program working again without a restart, and the stored port and the port mapping
// as they were. Each row prints one line of the fault table.
#include "DataColumns.h"
#include "ProgramHarness.h"
#include "StampedFile.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "link/ModelNames.h"
#include "platform/QtSettingsStore.h"

#include <sys/mount.h>
#include <unistd.h>

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace quillmark;
using namespace quillmark::test;

namespace {

enum class Fault {
    CablePulled,
    Silent,
    Garbage,
    Late,
    Short,
    Doubled,
    Flood,
    Framing,
    Parity,
    Overrun,
    BufferOverrun,
    LineSettingsRefused,
    PortHeld,
};

// What the user sees of a fault: each box's text in the order shown, or its words up to where
// a device or a reason follows (none at all for a fault the program rides out), and the panel
// and the port afterwards. kHolder stands for the sentence naming the program that holds the
// device.
struct Outcome {
    bool possible = false;  // the fault can strike this way
    QStringList boxes;
    QString state;
};

struct FaultRow {
    Fault fault;
    const char* name;
    Outcome whileRunning;  // struck while the panel runs
    Outcome whileIdle;     // struck with the panel closed, then View Real Time Data
};

const QString kClosed = QStringLiteral("panel closed, port closed");
const QString kRunning = QStringLiteral("panel open, port open");
const QString kCannotLink =
    QStringLiteral("Cannot establish RS-232 link. Check cable and module power.");
const QString kValueTimeout = QStringLiteral("RS-232 timeout. Check cable and click Abort.");
const QString kStatusTimeout =
    QStringLiteral("RS-232 timeout. Check cable and click Abort or Retry.");
const QString kInvalidId = QStringLiteral("Error - invalid firmware ID.");
// The start both timeout boxes share: a box's text may go on after the words, not the word.
const QString kAnyTimeout = QStringLiteral("RS-232 timeout. Check cable and click Abort");
const QString kHolder = QStringLiteral("<holder>");
const Outcome kCannotHappen;
const Outcome kRiddenOut{true, {}, kRunning};

// A port that cannot be opened: each of the five attempts to get in step shows why, then the
// link is given up; the panel's first tick tries once more and closes it.
QStringList openRefused(const QStringList& why) {
    QStringList boxes;
    for (int attempt = 0; attempt < 5; ++attempt) {
        boxes += why;
    }
    return boxes + QStringList{kCannotLink} + why;
}

// Framing and parity errors are ignored while the panel runs, overruns close the port silently
// (the next read reopens it); garbage of the right length cannot be told from data. The line
// settings are applied while the port is closed, and while the panel runs the program holds
// the port itself. The user answers Abort, Cancel or OK.
const std::array kLineFaults{
    FaultRow{Fault::CablePulled,
             "cable pulled, plugged back",
             {true, {"Com1: write failed: Input/output error;"}, kClosed},
             {true, openRefused({"Com1: no such device"}), kClosed}},
    FaultRow{Fault::Silent,
             "module silent",
             {true, {kStatusTimeout}, kClosed},
             {true, {kCannotLink, kStatusTimeout}, kClosed}},
    FaultRow{Fault::Garbage,
             "garbage answers",
             kRiddenOut,
             {true, {kValueTimeout, kInvalidId}, kRunning}},
    // Opened against a late module, the first tick's status read may or may not take the
    // identification's stray answer, by a few milliseconds either way: then the next read times
    // out instead (a value's box, Abort only). Either way the line is given up.
    FaultRow{Fault::Late,
             "late answers (1.2 s)",
             {true, {kStatusTimeout}, kClosed},
             {true, {kValueTimeout, kInvalidId, kAnyTimeout}, kClosed}},
    FaultRow{Fault::Short,
             "short answers",
             {true, {kStatusTimeout}, kClosed},
             {true, {kCannotLink, kStatusTimeout}, kClosed}},
    FaultRow{Fault::Doubled, "doubled answers", kRiddenOut, kRiddenOut},
    FaultRow{Fault::Flood, "flooding answers (4096 bytes)", kRiddenOut, kCannotHappen},
    FaultRow{Fault::Framing, "framing error (1004)", kRiddenOut, kCannotHappen},
    FaultRow{Fault::Parity, "parity error (1009)", kRiddenOut, kCannotHappen},
    FaultRow{Fault::Overrun, "hardware overrun (1006)", kRiddenOut, kCannotHappen},
    FaultRow{Fault::BufferOverrun, "driver buffer overrun (1008)", kRiddenOut, kCannotHappen},
    FaultRow{Fault::LineSettingsRefused,
             "line settings refused (1011)",
             kCannotHappen,
             {true,
              openRefused({"Com1: the line settings 56000,N,8,1.5 could not be applied",
                           "Device Control Block Error"}),
              kClosed}},
    FaultRow{
        Fault::PortHeld,
        "port held by another process",
        kCannotHappen,
        {true,
         openRefused({"Com1 is in use by another program"})
             .replaceInStrings(kCannotLink, kCannotLink + QStringLiteral("\r\n\r\n") + kHolder),
         kClosed}},
};

// Answers every box the way a user getting out of trouble would: Abort, Cancel, OK.
template <typename Harness>
void answerToGetOut(Harness& h, BoxAnswer errorAnswer = BoxAnswer::Abort) {
    h.boxes.whileOpen = [&h, errorAnswer] {
        const BoxStyle style = h.boxes.shown.last().style;
        h.pump.yield();
        h.boxes.answers.push_back(style == BoxStyle::AbortRetryIgnoreCritical ? errorAnswer
                                  : style == BoxStyle::RetryCancelCritical    ? BoxAnswer::Cancel
                                                                              : BoxAnswer::Ok);
    };
}

QString seen(const QStringList& texts) {
    QStringList distinct;
    for (const QString& text : texts) {
        const QString line = text.trimmed().replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        if (!distinct.contains(line)) {
            distinct.append(line);
        }
    }
    return distinct.isEmpty() ? QStringLiteral("nothing") : distinct.join(QStringLiteral(" / "));
}

// Another process holding a device until it is let go.
class PortHolder {
public:
    explicit PortHolder(const QString& device) {
        // Built beside the tests.
        process_.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/quillmark-port-holder"),
            {device});
        held_ = process_.waitForReadyRead(5000) && process_.readLine().trimmed() == "held";
    }
    ~PortHolder() { release(); }
    bool held() const { return held_; }
    qint64 pid() const { return process_.processId(); }
    void release() {
        if (process_.state() != QProcess::NotRunning) {
            process_.closeWriteChannel();
            process_.waitForFinished(5000);
        }
    }

private:
    QProcess process_;
    bool held_ = false;
};

// The program with the real per-user settings file, so that what it keeps is compared on disk.
using FileHarness = ProgramHarnessWith<QtSettingsStore>;

QString settingsFile();

struct LineFaultRig {
    // Each row starts from no settings file; the harness and the rig write the mapping.
    const bool noFileYet = !QFile::exists(settingsFile()) || QFile::remove(settingsFile());
    FileHarness h{sim::Model::CorvaneIIVR, false};
    std::optional<LineCounters> counters = LineCounters{};
    std::unique_ptr<PortHolder> holder;
    // Com1 is mapped to the adapter's stable name, as the help recommends: a link that udev
    // points at whichever device the adapter comes back as.
    QTemporaryDir byId;
    const QString stableName = byId.filePath(QStringLiteral("usb-Corvane_Cable_A1-if00-port0"));

    LineFaultRig() {
        pointStableNameAtModule();
        h.settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"),
                        QStringLiteral("Com1"), stableName);
        h.port.setCounterSource([this](std::intptr_t) { return counters; });
        answerToGetOut(h);
    }

    void apply(Fault fault) {
        auto& engine = h.module->engine;
        switch (fault) {
            case Fault::CablePulled:
                // Unplugged, the adapter's device goes and so does its stable name, as udev
                // removes it. A link left behind could lead to another test's pseudo-terminal,
                // which may take the freed number at once.
                h.module.reset();
                QVERIFY(QFile::remove(stableName));
                break;
            case Fault::Silent:
                engine.setFault(sim::FaultMode::Silent);
                break;
            case Fault::Garbage:
                engine.setFault(sim::FaultMode::Garbage);
                break;
            case Fault::Late:
                engine.setFault(sim::FaultMode::LateAnswer);
                break;
            case Fault::Short:
                engine.setFault(sim::FaultMode::ShortAnswer);
                break;
            case Fault::Doubled:
                engine.setFault(sim::FaultMode::Doubled);
                break;
            case Fault::Flood:
                h.module->pty.flood(4096);
                break;
            case Fault::Framing:
                counters->frame += 1;
                break;
            case Fault::Parity:
                counters->parity += 1;
                break;
            case Fault::Overrun:
                counters->overrun += 1;
                break;
            case Fault::BufferOverrun:
                counters->bufferOverrun += 1;
                break;
            case Fault::LineSettingsRefused: {
                LineSettings odd;
                odd.settings = QStringLiteral("56000,N,8,1.5");
                h.port.applySettings(odd);
                break;
            }
            case Fault::PortHeld:
                holder =
                    std::make_unique<PortHolder>(QString::fromStdString(h.module->pty.slavePath()));
                QVERIFY(holder->held());
                break;
        }
    }
    void heal(Fault fault) {
        switch (fault) {
            case Fault::CablePulled:
                // Plugged back, the adapter is a new device; the program is told nothing.
                h.module = std::make_unique<SimulatedModule>(false);
                pointStableNameAtModule();
                break;
            case Fault::LineSettingsRefused:
                h.port.applySettings(LineSettings{});
                break;
            case Fault::PortHeld:
                holder->release();
                break;
            default:
                if (h.module) {
                    h.module->engine.clearFaults();
                }
                break;
        }
    }
    void pointStableNameAtModule() {
        QFile::remove(stableName);
        QVERIFY(QFile::link(QString::fromStdString(h.module->pty.slavePath()), stableName));
    }
    std::uint64_t logged() const { return h.module ? h.module->logged() : 0; }
    void settle() {
        (void)QTest::qWaitFor([&] { return !h.logic.link().activity().busy(); }, 5000);
    }
};

// What the module serves once the fault is over, and the gauge that shows each.
struct ServedValue {
    Quantity quantity;
    const char* gauge;
    std::vector<std::uint8_t> bytes;
};
const std::vector<ServedValue> kServedValues{
    {Quantity::Throttle, "gauTPS", {0x5C}},
    {Quantity::FuelMultiplier1, "gauFuelMult1", {0x70}},
    {Quantity::FuelMultiplier2, "gauFuelMult2", {0x93}},
    {Quantity::Battery, "gauBatVolts", {0xB4}},
    {Quantity::Injector1, "gauInj1PW", {0x21, 0x03}},
    {Quantity::Injector2, "gauInj2PW", {0xE8, 0x01}},
    {Quantity::Retard, "gauRetard", {0x2A}},
    {Quantity::EngineSpeed, "gauTach", {0x57}},
};

// The gauges show the conversions of those bytes, as read from the window, for the model the
// program identified (a failed identification leaves a model without the retard gauge).
bool showsServedValues(const FileHarness& h) {
    const QString& model = h.state.modelName;
    const bool hasRetard =
        model == QLatin1String(kModelCorvaneII) || model == QLatin1String(kModelCorvaneIIVR);
    for (const ServedValue& value : kServedValues) {
        if (value.quantity == Quantity::Retard && !hasRetard) {
            continue;
        }
        const float shown = convertReading(value.quantity, value.bytes.front(),
                                           value.bytes.size() > 1 ? value.bytes[1] : 0, model);
        if (value.quantity == Quantity::EngineSpeed) {
            if (h.tach()->caption() != rpmReadout(shown)) {
                qWarning("gauTach shows %s, not %s", qPrintable(h.tach()->caption()),
                         qPrintable(rpmReadout(shown)));
                return false;
            }
        } else if (h.bar(value.gauge)->pointerValue() != double(shown)) {
            qWarning("%s shows %g, not %g", value.gauge, h.bar(value.gauge)->pointerValue(),
                     double(shown));
            return false;
        }
    }
    return true;
}

QString stateOf(const QWidget* panel, const SerialPort& port) {
    return QStringLiteral("panel %1, port %2")
        .arg(panel->isVisible() ? "open" : "closed", port.isOpen() ? "open" : "closed");
}

enum class SettingsFault { Unwritable, DiskFull, Corrupt };

struct SettingsRow {
    SettingsFault fault;
    const char* name;
    bool needsMount;
};

constexpr std::array kSettingsFaults{
    SettingsRow{SettingsFault::Unwritable, "settings file unwritable", true},
    SettingsRow{SettingsFault::DiskFull, "settings file on a full disk", true},
    SettingsRow{SettingsFault::Corrupt, "settings file with an unreadable line", false},
};

// The per-user settings live in a folder of this test's own, set before anything reads them.
const QString& configHome() {
    static const QString home = [] {
        QString path = QDir::tempPath() + QStringLiteral("/quillmark-faults-%1").arg(::getpid());
        QDir().mkpath(path + QStringLiteral("/Quillmark"));
        qputenv("XDG_CONFIG_HOME", path.toLocal8Bit());
        return path;
    }();
    return home;
}
[[maybe_unused]] const QString& configHomeAtStart = configHome();

QString settingsFolder() {
    return configHome() + QStringLiteral("/Quillmark");
}
QString settingsFile() {
    return settingsFolder() + QStringLiteral("/Quillmark.conf");
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The settings folder on a small file system of its own, which can be made read-only or full.
class SmallDisk {
public:
    SmallDisk() {
        mounted_ = ::mount("tmpfs", settingsFolder().toLocal8Bit().constData(), "tmpfs", 0,
                           "size=64k") == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(settingsFolder().toLocal8Bit().constData(), MNT_DETACH);
        }
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() {
        return ::mount("tmpfs", settingsFolder().toLocal8Bit().constData(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }
    bool makeWritable() {
        return ::mount("tmpfs", settingsFolder().toLocal8Bit().constData(), "tmpfs", MS_REMOUNT,
                       "size=64k") == 0;
    }
    bool fill() {
        QFile filler(settingsFolder() + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly)) {
            return false;
        }
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        return true;
    }
    void empty() { QFile::remove(settingsFolder() + QStringLiteral("/filler")); }

private:
    bool mounted_ = false;
};

// The program with the real per-user settings file; errors are answered with Ignore.
struct StoredSettingsRig : ProgramDesk {
    SimulatedModule module{false};
    QtSettingsStore settings;
    QtSerialPort port;
    QtClock clock;
    QtEventPump pump;
    frmMain logic{platformOn(port, clock, pump, settings), state, branding, window};

    StoredSettingsRig() {
        // Retry cannot mend a file, so the user goes on without saving.
        boxes.whileOpen = [this] {
            const BoxStyle style = boxes.shown.last().style;
            pump.yield();
            boxes.answers.push_back(style == BoxStyle::AbortRetryIgnoreCritical ? BoxAnswer::Ignore
                                                                                : BoxAnswer::Ok);
        };
    }
    ~StoredSettingsRig() {
        if (port.isOpen()) {
            port.close();
        }
    }
    // Com1 and Com2 both lead to the module, so choosing Com2 writes the file and still works.
    QByteArray settingsText(const QByteArray& tail = {}) const {
        const QByteArray device = QByteArray::fromStdString(module.pty.slavePath());
        return "[Ports]\nCom1=" + device + "\nCom2=" + device + "\n\n[Properties]\nCommPort=1\n" +
               tail;
    }
    void writeSettings(const QByteArray& text) { QVERIFY(writeStampedFile(settingsFile(), text)); }
    void start() { StartMainWindow(window, logic); }
    QWidget* panel() const { return window.findChild<QWidget*>(QStringLiteral("fraRealTimeData")); }
    bool ticksRun(int ticks) {
        const auto target = module.logged() + std::uint64_t(ticks) * 9;
        return QTest::qWaitFor([&] { return module.logged() >= target; }, 2000 * ticks) &&
               QTest::qWaitFor([&] { return !logic.link().activity().busy(); }, 3000);
    }
    void chooseCom2() {
        auto* list = window.findChild<QComboBox*>(QStringLiteral("cboPort"));
        list->setCurrentIndex(1);
        emit list->activated(1);
    }
};

}  // namespace

class FaultMatrixTest final : public QObject {
    Q_OBJECT
private slots:
    void lineFault_data() {
        columns<int, bool>("row", "running");
        for (std::size_t i = 0; i < kLineFaults.size(); ++i) {
            const auto& row = kLineFaults[i];
            if (row.whileRunning.possible) {
                QTest::addRow("%s, panel running", row.name) << int(i) << true;
            }
            if (row.whileIdle.possible) {
                QTest::addRow("%s, panel closed", row.name) << int(i) << false;
            }
        }
    }
    void lineFault() {
        QFETCH(int, row);
        QFETCH(bool, running);
        const FaultRow& fault = kLineFaults[std::size_t(row)];
        LineFaultRig rig;
        FileHarness& h = rig.h;
        QVERIFY(rig.noFileYet);
        const QByteArray settingsBefore = readAll(settingsFile());
        QVERIFY(settingsBefore.contains("Com1=" + QFile::encodeName(rig.stableName)));

        if (running) {
            h.openRealTime();
            QVERIFY(h.waitForTicks(1));
            QVERIFY(h.boxes.shown.isEmpty());
        }
        rig.apply(fault.fault);
        // The fault has had its effect once the panel closed or three ticks ran past it; after
        // an open the first tick decides.
        const int ticksBefore = h.logic.polling().ticksRun();
        if (!running) {
            h.openRealTime();
        }
        const int ticksToRun = running ? 3 : 1;
        QVERIFY(QTest::qWaitFor(
            [&] {
                return !h.panel()->isVisible() ||
                       h.logic.polling().ticksRun() >= ticksBefore + ticksToRun;
            },
            8000));
        Outcome expected = running ? fault.whileRunning : fault.whileIdle;
        // Late answers spread their boxes over seconds, and the link is idle between them on a
        // slow (sanitized) build: the boxes the row states are waited for, not assumed shown.
        (void)QTest::qWaitFor([&] { return h.boxes.shown.size() >= expected.boxes.size(); }, 8000);
        rig.settle();
        const QStringList shown = h.boxes.texts();
        const QString after = stateOf(h.panel(), h.port);
        // The system names a program by the first 15 characters of its name.
        expected.boxes.replaceInStrings(
            kHolder, QStringLiteral("%1 is also open in quillmark-port- (pid %2)")
                         .arg(rig.stableName)
                         .arg(rig.holder ? rig.holder->pid() : 0));
        const bool boxesAsStated =
            shown.size() == expected.boxes.size() &&
            std::equal(shown.begin(), shown.end(), expected.boxes.begin(),
                       [](const QString& text, const QString& words) {
                           return text.startsWith(words) &&
                                  (text.size() == words.size() ||
                                   !text.at(words.size()).isLetterOrNumber());
                       });
        if (!boxesAsStated) {
            qWarning("boxes shown: %s", qPrintable(shown.join(QStringLiteral(" | "))));
            qWarning("expected: %s", qPrintable(expected.boxes.join(QStringLiteral(" | "))));
        }
        QVERIFY(boxesAsStated);
        QCOMPARE(after, expected.state);
        QCOMPARE(h.state.panelActive, h.panel()->isVisible());

        // Back to work without a restart: the next View (or the running panel) reads again.
        rig.heal(fault.fault);
        for (const ServedValue& value : kServedValues) {
            h.module->engine.setFixedData(readCommand(value.quantity).command, value.bytes);
        }
        if (!h.panel()->isVisible()) {
            h.openRealTime();
        }
        const auto boxesBefore = h.boxes.shown.size();
        const bool recovered = h.waitForTicks(2) && h.panel()->isVisible() && h.state.panelActive &&
                               h.boxes.shown.size() == boxesBefore && showsServedValues(h);
        // The settings file holds byte for byte what it held before the fault.
        const bool nothingLost = readAll(settingsFile()) == settingsBefore;
        qInfo("FAULT | %s | %s | %s | %s | recovered %s | nothing lost %s", fault.name,
              running ? "running" : "closed", qPrintable(seen(shown)), qPrintable(after),
              recovered ? "yes" : "NO", nothingLost ? "yes" : "NO");
        QVERIFY(recovered);
        QVERIFY(nothingLost);
    }

    void settingsFault_data() {
        columns<int, bool>("row", "running");
        for (std::size_t i = 0; i < kSettingsFaults.size(); ++i) {
            QTest::addRow("%s, panel running", kSettingsFaults[i].name) << int(i) << true;
            QTest::addRow("%s, panel closed", kSettingsFaults[i].name) << int(i) << false;
        }
    }
    void settingsFault() {
        QFETCH(int, row);
        QFETCH(bool, running);
        const SettingsRow& fault = kSettingsFaults[std::size_t(row)];
        QFile::remove(settingsFile());
        SmallDisk disk;
        if (fault.needsMount && !disk.mounted()) {
            QSKIP("mounting a small file system needs root");
        }
        StoredSettingsRig rig;
        const QByteArray unreadable("\x01[Ports\xef\n");
        const QByteArray before =
            rig.settingsText(fault.fault == SettingsFault::Corrupt ? unreadable : QByteArray());
        rig.writeSettings(before);
        const auto breakIt = [&] {
            if (fault.fault == SettingsFault::Unwritable) {
                QVERIFY(disk.makeReadOnly());
            } else if (fault.fault == SettingsFault::DiskFull) {
                QVERIFY(disk.fill());
            }
        };
        if (running) {
            rig.start();
            rig.logic.mnuViewRealTime_Click();
            QVERIFY(rig.ticksRun(1));
            breakIt();
        } else {
            breakIt();
            rig.start();
        }
        rig.chooseCom2();  // the choice is stored at once
        const QByteArray after = readAll(settingsFile());
        const QStringList shown = rig.boxes.texts();
        const QString state = stateOf(rig.panel(), rig.port);
        QVERIFY2(shown.size() == 1, qPrintable(shown.join(QStringLiteral(" | "))));
        if (fault.fault == SettingsFault::Corrupt) {
            QVERIFY2(shown.first().startsWith(QStringLiteral("Line 7 of ")),
                     qPrintable(shown.first()));
        } else {
            QVERIFY2(shown.first().startsWith(QStringLiteral("Could not write the settings file")),
                     qPrintable(shown.first()));
        }

        if (!running) {
            rig.logic.mnuViewRealTime_Click();
        }
        const bool recovered = rig.ticksRun(2) && rig.panel()->isVisible() &&
                               rig.boxes.shown.size() == shown.size() &&
                               rig.logic.PortNumber() == 2;
        // A file that could not be written is as it was; one that could holds the new choice
        // and every line the user wrote, the unreadable one too.
        const bool nothingLost =
            fault.fault == SettingsFault::Corrupt
                ? after == QByteArray(before).replace("CommPort=1", "CommPort=2")
                : after == before;
        qInfo("FAULT | %s | %s | %s | %s | recovered %s | nothing lost %s", fault.name,
              running ? "running" : "closed", qPrintable(seen(shown)), qPrintable(state),
              recovered ? "yes" : "NO", nothingLost ? "yes" : "NO");
        disk.empty();
        disk.makeWritable();
        QVERIFY(recovered);
        QVERIFY(nothingLost);
    }

    void cleanupTestCase() { QDir(configHome()).removeRecursively(); }
};

QTEST_MAIN(FaultMatrixTest)
#include "FaultMatrixTest.moc"
