// Faults on the line and in the settings file, each while the real-time panel runs and, where
// it can happen, while it does not: the real program against the simulated module on a
// pseudo-terminal. Every row must leave the user told what happened where the program can
// tell, the program working again without a restart, and the stored port and the port mapping
// as they were. Each row prints one line of the fault table.
#include "ProgramHarness.h"
#include "platform/QtSettingsStore.h"

#include <sys/mount.h>
#include <unistd.h>

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

struct FaultRow {
    Fault fault;
    const char* name;
    bool whileRunning;         // can happen while the panel runs
    bool whileIdle;            // can happen with the panel closed
    bool visibleWhileRunning;  // the program can tell, and must tell, while the panel runs
};

// Framing and parity errors are ignored while the panel runs, overruns close the port silently
// (the next read reopens it); garbage of the right length cannot be told from data. The line
// settings are applied while the port is closed, and while the panel runs the program holds
// the port itself.
constexpr std::array kLineFaults{
    FaultRow{Fault::CablePulled, "cable pulled, plugged back", true, true, true},
    FaultRow{Fault::Silent, "module silent", true, true, true},
    FaultRow{Fault::Garbage, "garbage answers", true, true, false},
    FaultRow{Fault::Late, "late answers (1.2 s)", true, true, true},
    FaultRow{Fault::Short, "short answers", true, true, true},
    FaultRow{Fault::Doubled, "doubled answers", true, true, false},
    FaultRow{Fault::Flood, "flooding answers (4096 bytes)", true, false, false},
    FaultRow{Fault::Framing, "framing error (1004)", true, false, false},
    FaultRow{Fault::Parity, "parity error (1009)", true, false, false},
    FaultRow{Fault::Overrun, "hardware overrun (1006)", true, false, false},
    FaultRow{Fault::BufferOverrun, "driver buffer overrun (1008)", true, false, false},
    FaultRow{Fault::LineSettingsRefused, "line settings refused (1011)", false, true, true},
    FaultRow{Fault::PortHeld, "port held by another process", false, true, true},
};

const QString kPortKey = QStringLiteral("Quillmark/Properties/CommPort");
const QString kMappingKey = QStringLiteral("Quillmark/Ports/Com1");

// Answers every box the way a user getting out of trouble would: Abort, Cancel, OK.
void answerToGetOut(ProgramHarness& h, int errorAnswer = msg_answer::kAbort) {
    h.boxes.whileOpen = [&h, errorAnswer] {
        const int style = h.boxes.shown.last().style;
        h.pump.yield();
        h.boxes.answers.push_back(style == msg_style::kAbortRetryIgnoreCritical ? errorAnswer
                                  : style == msg_style::kRetryCancelCritical ? msg_answer::kCancel
                                                                             : msg_answer::kOk);
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
        process_.start(
            qEnvironmentVariable("QUILLMARK_BUILD_BIN") + QStringLiteral("/quillmark-port-holder"),
            {device});
        held_ = process_.waitForReadyRead(5000) && process_.readLine().trimmed() == "held";
    }
    ~PortHolder() { release(); }
    bool held() const { return held_; }
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

struct LineFaultRig {
    ProgramHarness h{sim::Model::CorvaneIIVR, false};
    std::optional<LineCounters> counters = LineCounters{};
    std::unique_ptr<PortHolder> holder;
    int registrations = 1;  // the harness maps Com1 once

    LineFaultRig() {
        h.port.setCounterSource([this](std::intptr_t) { return counters; });
        answerToGetOut(h);
    }

    void apply(Fault fault) {
        auto& engine = h.module->engine;
        switch (fault) {
            case Fault::CablePulled:
                h.module.reset();
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
                h.module = std::make_unique<SimulatedModule>(false);
                h.module->registerAs(h.settings, 1);
                ++registrations;
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
    std::uint64_t logged() const { return h.module ? h.module->logged() : 0; }
    void settle() {
        (void)QTest::qWaitFor([&] { return !h.logic.link().activity().busy(); }, 5000);
    }
};

QString stateOf(ProgramHarness& h) {
    return QStringLiteral("panel %1, port %2")
        .arg(h.panel()->isVisible() ? "open" : "closed", h.port.isOpen() ? "open" : "closed");
}

}  // namespace

class FaultMatrixTest final : public QObject {
    Q_OBJECT
private slots:
    void lineFault_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("running");
        for (std::size_t i = 0; i < kLineFaults.size(); ++i) {
            const auto& row = kLineFaults[i];
            if (row.whileRunning) {
                QTest::addRow("%s, panel running", row.name) << int(i) << true;
            }
            if (row.whileIdle) {
                QTest::addRow("%s, panel closed", row.name) << int(i) << false;
            }
        }
    }
    void lineFault() {
        QFETCH(int, row);
        QFETCH(bool, running);
        const FaultRow& fault = kLineFaults[std::size_t(row)];
        LineFaultRig rig;
        ProgramHarness& h = rig.h;
        const QString storedPort = h.settings.values.value(kPortKey);
        const int programSaves = h.settings.saves - rig.registrations;

        if (running) {
            h.openRealTime();
            QVERIFY(h.waitForTicks(1));
            QVERIFY(h.boxes.shown.isEmpty());
        }
        rig.apply(fault.fault);
        if (running) {
            const auto from = rig.logged();
            (void)QTest::qWaitFor(
                [&] { return !h.panel()->isVisible() || rig.logged() >= from + 3 * 9; }, 8000);
        } else {
            h.openRealTime();
            QTest::qWait(1200);  // the first tick after a failed open closes the panel
        }
        rig.settle();
        const QStringList shown = h.boxes.texts();
        const QString after = stateOf(h);
        if (running ? fault.visibleWhileRunning : true) {
            if (fault.fault != Fault::Garbage && fault.fault != Fault::Doubled) {
                QVERIFY2(!shown.isEmpty(), "the user was not told");
            }
        }
        if (!h.panel()->isVisible()) {
            QVERIFY(!h.state.RealTimeActive);
            QVERIFY(!h.port.isOpen());
        }

        // Back to work without a restart: the next View (or the running panel) reads again.
        rig.heal(fault.fault);
        if (!h.panel()->isVisible()) {
            h.openRealTime();
        }
        const auto boxesBefore = h.boxes.shown.size();
        const bool recovered = h.waitForTicks(2) && h.panel()->isVisible() &&
                               h.state.RealTimeActive && h.boxes.shown.size() == boxesBefore;
        const bool nothingLost = h.settings.values.value(kPortKey) == storedPort &&
                                 h.settings.values.value(kMappingKey) ==
                                     QString::fromStdString(h.module->pty.slavePath()) &&
                                 h.settings.saves - rig.registrations == programSaves;
        qInfo("FAULT | %s | %s | %s | %s | recovered %s | nothing lost %s", fault.name,
              running ? "running" : "closed", qPrintable(seen(shown)), qPrintable(after),
              recovered ? "yes" : "NO", nothingLost ? "yes" : "NO");
        QVERIFY(recovered);
        QVERIFY(nothingLost);
    }
};

QTEST_MAIN(FaultMatrixTest)
#include "FaultMatrixTest.moc"
