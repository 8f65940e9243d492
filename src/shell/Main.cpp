#include "shell/Main.h"

#include "link/SharedState.h"
#include "platform/HelpWindow.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtFiles.h"
#include "platform/QtFonts.h"
#include "platform/QtHelpViewer.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtProgramEnd.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "shell/splash/BrandingLines.h"
#include "shell/splash/Splash.h"

#include <QApplication>

namespace quillmark {

int Main(int argc, char** argv) {
    QApplication application(argc, argv);
    installFontSubstitutes();

    SharedState state;
    BrandingLines branding;
    QtSettingsStore settings;
    QtSerialPort port;
    QtClock clock;
    QtEventPump pump;
    QtMessageBoxes boxes;
    QtFiles files;
    QtProgramEnd programEnd;

    ShowSplash(files, boxes, branding);

    MainWindowWidget window;
    QtHelpViewer help(&window);
    frmMain logic({port, clock, pump, boxes, settings, files, help, programEnd}, state, branding,
                  window);
    StartMainWindow(window, logic);
    return QApplication::exec();
}

void StartMainWindow(MainWindowWidget& window, frmMain& logic) {
    window.setEvents(&logic);
    logic.Form_Load();
    window.show();
    // Where no window manager hands out the focus, the menu keys would otherwise go nowhere.
    window.activateWindow();
}

}  // namespace quillmark
