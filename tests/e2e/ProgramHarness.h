// The program's own main window and logic on a real pseudo-terminal, against the module
// simulator running in this process; only the message boxes are answered by the test.
#pragma once

#include "FakeShellPlatform.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "link/SharedState.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "widgets/gauges/BarGaugeWidget.h"
#include "widgets/gauges/DialGaugeWidget.h"
#include "widgets/gauges/RealTimePanelWidget.h"
#include "shell/Main.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "shell/splash/BrandingLines.h"
#include "sim/ModuleEngine.h"
#include "sim/PtyModule.h"

#include <QAction>
#include <QLabel>
#include <QTest>

#include <memory>

namespace quillmark::test {

// A module on its own pseudo-terminal, registered in `settings` as Com<number>.
struct SimulatedModule {
    sim::ModuleEngine engine;
    sim::PtyModule pty;
    // With a time line, the module serves on it (unpaced) instead of the machine's clock.
    explicit SimulatedModule(bool pace = true, sim::Model model = sim::Model::CorvaneIIVR,
                             sim::PtyModule::TimeLine timeLine = {})
        : engine(model), pty(engine, pace) {
        if (timeLine) {
            pty.serveOn(std::move(timeLine));
        }
        pty.start();
    }
    ~SimulatedModule() { pty.stop(); }
    void registerAs(SettingsStore& settings, int number) const {
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"),
                      QStringLiteral("Com%1").arg(number), QString::fromStdString(pty.slavePath()));
    }
    QList<int> commands(std::uint64_t from = 0) const {
        QList<int> all;
        for (const auto& entry : engine.log().entriesFrom(from)) {
            all.append(entry.command);
        }
        return all;
    }
    std::uint64_t logged() const { return engine.log().total(); }
};

// What every rig of the whole program has besides its line, clock and settings: the doubles on
// the user's side, the shared state and the main window itself.
struct ProgramDesk {
    ScriptedMessageBoxes boxes;
    FakeFiles files;
    SpyHelpViewer help;
    SpyProgramEnd programEnd;
    SharedState state;
    BrandingLines branding;
    MainWindowWidget window;

    MainWindowPlatform platformOn(SerialPort& port, Clock& clock, EventPump& pump,
                                  SettingsStore& settings) {
        return {port, clock, pump, boxes, settings, files, help, programEnd};
    }
};

// The program against a simulated module registered as Com1; `Settings` keeps the per-user
// settings, in memory unless a test needs the real file.
template <typename Settings>
struct ProgramHarnessWith : ProgramDesk {
    std::unique_ptr<SimulatedModule> module;
    Settings settings;
    QtSerialPort port;
    QtClock clock;
    QtEventPump pump;
    frmMain logic{platformOn(port, clock, pump, settings), state, branding, window};

    explicit ProgramHarnessWith(sim::Model model = sim::Model::CorvaneIIVR, bool pace = true)
        : module(std::make_unique<SimulatedModule>(pace, model)) {
        module->registerAs(settings, 1);
        // A real box runs the event loop while it is open.
        boxes.whileOpen = [this] { pump.yield(); };
        boxes.defaultAnswer = BoxAnswer::Ok;
        StartMainWindow(window, logic);
    }
    ~ProgramHarnessWith() {
        if (port.isOpen()) {
            port.close();
        }
    }

    void choose(const char* action) {
        auto* item = window.findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY2(item != nullptr, action);
        item->trigger();
    }
    void openRealTime() { choose("mnuViewRealTime"); }
    RealTimePanelWidget* panel() const {
        return window.findChild<RealTimePanelWidget*>(QStringLiteral("fraRealTimeData"));
    }
    BarGaugeWidget* bar(const char* name) const {
        return window.findChild<BarGaugeWidget*>(QString::fromLatin1(name));
    }
    DialGaugeWidget* tach() const {
        return window.findChild<DialGaugeWidget*>(QStringLiteral("gauTach"));
    }
    QString statusText() const {
        return window.findChild<QLabel*>(QStringLiteral("lblStatusFlags"))->text();
    }
    // Runs the event loop until `count` more commands reached the module, or the time is up.
    bool waitForCommands(std::uint64_t count, int timeoutMs = 5000) {
        const auto target = module->logged() + count;
        return QTest::qWaitFor([&] { return module->logged() >= target; }, timeoutMs);
    }
    // Waits for the polling cycle to finish a tick: the last command of a tick went out and
    // its answer came back.
    bool waitForTicks(int ticks, int commandsPerTick = 9) {
        return waitForCommands(std::uint64_t(ticks) * commandsPerTick, 2000 * ticks) &&
               waitForIdleLink(3000);
    }
    // Runs the event loop until no conversation with the module is in progress.
    bool waitForIdleLink(int timeoutMs) {
        return QTest::qWaitFor([&] { return !logic.link().activity().busy(); }, timeoutMs);
    }
    // Opens the real-time panel and lets its first tick run in full.
    bool openRealTimeForATick() {
        openRealTime();
        return waitForTicks(1);
    }
};

using ProgramHarness = ProgramHarnessWith<MemorySettingsStore>;

}  // namespace quillmark::test
