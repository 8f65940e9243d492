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
#include "shell/MainWindowWidget.h"
#include "shell/Splash.h"
#include "shell/frmMain.h"
#include "shell/recording/RecordingController.h"

#include <QApplication>
#include <QFileDialog>

namespace quillmark {

int Main(int argc, char** argv) {
    QApplication application(argc, argv);
    installFontSubstitutes();

    SharedState state;
    QtSettingsStore settings;
    QtSerialPort port(settings);
    QtClock clock;
    QtEventPump pump;
    QtMessageBoxes boxes;
    QtFiles files;
    QtProgramEnd programEnd;

    ShowSplash(files, boxes, state);

    MainWindowWidget window;
    QtHelpViewer help(&window);
    frmMain logic({port, clock, pump, boxes, settings, files, help, programEnd}, state, window);
    window.setEvents(&logic);
    RecordingController recordings(window, logic, state,
                                   {clock, boxes, settings, [&window](const QString& folder) {
                                        return QFileDialog::getOpenFileName(
                                            &window, QStringLiteral("Open Recording"), folder,
                                            QStringLiteral("Recordings (*.csv);;All files (*)"));
                                    }});
    logic.Form_Load();
    window.show();
    // Where no window manager hands out the focus, the menu keys would otherwise go nowhere.
    window.activateWindow();
    return QApplication::exec();
}

}  // namespace quillmark
