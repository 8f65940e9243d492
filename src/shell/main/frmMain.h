// The main window's logic: its load, the keys, the menus, exit, and the handlers of its
// controls, built from the port selection, the module link and the real-time view.
#pragma once

#include "link/CommEvents.h"
#include "link/ModuleLink.h"
#include "link/PortSelection.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "engine/RealTimeSession.h"
#include "shell/main/MainWindowControls.h"
#include "shell/main/MainWindowEvents.h"

#include <QString>

namespace quillmark {

class Clock;
class EventPump;
class Files;
class HelpViewer;
class MessageBoxes;
class ProgramEnd;
class SerialPort;
class SettingsStore;
struct BrandingLines;
struct SharedState;

// Everything the main window's logic reaches the outside world through.
struct MainWindowPlatform {
    SerialPort& port;
    Clock& clock;
    EventPump& pump;
    MessageBoxes& boxes;
    SettingsStore& settings;
    Files& files;
    HelpViewer& help;
    ProgramEnd& programEnd;
};

inline constexpr int kEscapeKey = 27;

class frmMain final : public MainWindowEvents {
public:
    // The About box shows the branding lines the splash read.
    frmMain(MainWindowPlatform platform, SharedState& state, const BrandingLines& branding,
            MainWindowControls& controls);

    void Form_Load();

    void Form_KeyPress(int keyAscii) override;
    void Form_QueryUnload() override;
    void mnuExit_Click() override;
    void mnuViewRealTime_Click() override { session_.openWhenLinkFree(); }
    void mnuPortSetup_Click() override { ports_.mnuPortSetup_Click(); }
    void mnuHelpContents_Click() override;
    void mnuAbout_Click() override;
    void cboPort_Click() override { ports_.cboPort_Click(); }
    void cmdPortSelectOK_Click() override { ports_.cmdPortSelectOK_Click(); }
    void cmdCloseRealTimeData_Click() override { session_.close(); }
    void tmrDataRead_Timer() override { polling_.pollOnce(); }

    // For the tests and the help entry.
    std::int16_t PortNumber() const { return ports_.PortNumber; }
    bool linkUp() const { return link_.linkUp; }
    ModuleLink& link() { return link_; }
    EngineReads& reads() { return reads_; }
    PollingCycle& polling() { return polling_; }
    const QString& applicationTitle() const { return applicationTitle_; }
    const QString& helpFile() const { return helpFile_; }

private:
    MainWindowPlatform platform_;
    SharedState& state_;
    const BrandingLines& branding_;
    MainWindowControls& controls_;
    QString applicationTitle_;
    QString helpFile_;  // the help-file setting, kept for the rest of the run
    PortSelection ports_;
    ModuleLink link_;
    RealTimeSession session_;
    EngineReads reads_;
    PollingCycle polling_;
    CommEvents commEvents_;
};

}  // namespace quillmark
