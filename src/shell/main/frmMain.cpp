#include "shell/main/frmMain.h"

#include "link/SharedState.h"
#include "platform/Files.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramEnd.h"
#include "platform/ProgramName.h"
#include "platform/SerialPort.h"
#include "engine/RealTimeView.h"
#include "shell/splash/AboutText.h"
#include "shell/splash/BrandingLines.h"
#include "trap/ErrorTrap.h"

#include <array>

namespace quillmark {

namespace {

const QString kApplicationTitle = QString::fromLatin1(kProgramName);
const QString kHelpFileName = QStringLiteral("Quillmark_Help.chm");

}  // namespace

frmMain::frmMain(MainWindowPlatform platform, SharedState& state, const BrandingLines& branding,
                 MainWindowControls& controls)
    : platform_(platform),
      state_(state),
      branding_(branding),
      controls_(controls),
      ports_(controls, platform.settings, platform.port, platform.boxes, applicationTitle_),
      link_(platform.port, platform.clock, platform.pump, platform.boxes, ports_.names(),
            ports_.PortNumber),
      session_(link_, state, controls.realTime()),
      reads_(link_, state, [this] { session_.close(); }),
      polling_(link_, state, reads_, controls.realTime(), [this] { session_.close(); }),
      commEvents_(platform.port, platform.boxes, state) {
    platform.port.setEventHandler([this] { commEvents_.handleLineEvent(); });
}

void frmMain::Form_Load() {
    ErrorTrap trap(platform_.boxes);
    const std::array<Step, 11> steps = {
        nextStep([this] { controls_.setKeyPreview(true); }),
        nextStep([this] { controls_.realTime().setPanelVisible(false); }),
        nextStep([this] { state_.panelActive = false; }),
        nextStep([this] {
            applicationTitle_ = kApplicationTitle;
            controls_.setApplicationTitle(applicationTitle_);
        }),
        nextStep(
            [this] { platform_.files.setCurrentDirectory(platform_.files.programDirectory()); }),
        nextStep([this] { state_.escapePressed = false; }),
        nextStep([this] { ports_.loadStoredPort(); }),
        nextStep([this] { ports_.fillPortList(); }),
        nextStep([this] { ports_.selectStoredPort(); }),
        nextStep([this] { ports_.applyLineSettings(); }),
        nextStep([this] { state_.commErrorCount = 0; }),
    };
    trap.run(steps);
    ports_.reportUnreadableSettings();
}

void frmMain::Form_KeyPress(int keyAscii) {
    if (keyAscii == kEscapeKey) {
        state_.escapePressed = true;
    }
}

void frmMain::mnuExit_Click() {
    controls_.unload();
}

void frmMain::Form_QueryUnload() {
    // Closing cannot be refused, and a port that fails to close does not keep the program alive.
    link_.closeQuietly();
    platform_.programEnd.endNow();
}

void frmMain::mnuAbout_Click() {
    platform_.boxes.show(AboutText(branding_.AboutLines), BoxStyle::OkInformation,
                         QStringLiteral("About"));
}

void frmMain::mnuHelpContents_Click() {
    // Built from the program's directory every time, whatever the current directory is.
    helpFile_ = platform_.files.programDirectory() + QLatin1Char('/') + kHelpFileName;
    platform_.help.openContents(helpFile_);
}

}  // namespace quillmark
