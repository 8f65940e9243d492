#include "shell/Main.h"

#include "link/SharedState.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtFiles.h"
#include "platform/QtProgramEnd.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/TerminationRequests.h"
#include "platform/widgets/HelpWindow.h"
#include "platform/widgets/QtFonts.h"
#include "platform/widgets/QtHelpViewer.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "shell/WindowFeatures.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "shell/recording/CompareDialog.h"
#include "shell/splash/BrandingLines.h"
#include "shell/splash/Splash.h"

#include <QApplication>
#include <QFileDialog>

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

    showSplash(files, boxes, branding);

    MainWindowWidget window;
    QtHelpViewer help(&window);
    frmMain logic({port, clock, pump, boxes, settings, files, help, programEnd}, state, branding,
                  window);
    // The recording, chart, playback, table, export and alarm entries; they only act when the
    // user asks.
    const auto chooseRecording = [&window](const QString& title) {
        return [&window, title](const QString& folder) {
            return QFileDialog::getOpenFileName(
                &window, title, folder, QStringLiteral("Recordings (*.csv);;All files (*)"));
        };
    };
    WindowFeatures features(
        window, logic, state,
        {clock, boxes, settings, chooseRecording(QStringLiteral("Open Recording")),
         chooseRecording(QStringLiteral("Export Recording: Choose the Recording")),
         [&window](const QString& log) {
             // Version 1 for the viewers that know no other.
             const QString version2 = QStringLiteral("MLG logs, version 2 (*.mlg)");
             const QString version1 =
                 QStringLiteral("MLG logs, version 1 for older viewers (*.mlg)");
             QString filter = version2;
             const QString path = QFileDialog::getSaveFileName(
                 &window, QStringLiteral("Export Recording: Save the Log As"), log,
                 version2 + QStringLiteral(";;") + version1, &filter);
             return ExportTarget{path, std::uint16_t(filter == version1 ? 1 : kMlgVersion)};
         },
         [&window](
             const QString& folder, const QString& firstName,
             const std::optional<ComparisonRequest>& last) -> std::optional<ComparisonRequest> {
             // Over the chart window it was asked from.
             QWidget* over = QApplication::activeWindow();
             CompareDialog dialog(
                 firstName,
                 [&dialog, folder] {
                     return QFileDialog::getOpenFileNames(
                         &dialog, QString::fromLatin1(kCompareTitle), folder,
                         QStringLiteral("Recordings (*.csv);;All files (*)"));
                 },
                 over != nullptr ? over : &window);
             if (last) {
                 dialog.setRequest(*last);
             }
             if (dialog.exec() != QDialog::Accepted) {
                 return std::nullopt;
             }
             return dialog.request();
         }});
    StartMainWindow(window, logic);
    TerminationRequests termination;
    CloseOnTerminationRequest(window, termination);
    return QApplication::exec();
}

void CloseOnTerminationRequest(MainWindowWidget& window, TerminationRequests& requests) {
    // Ended from outside (kill, log-out), the program ends as its close box ends it, without a
    // box: a recording is closed and an empty one removed.
    QObject::connect(&requests, &TerminationRequests::requested, &window, &QWidget::close);
}

void StartMainWindow(MainWindowWidget& window, frmMain& logic) {
    window.setEvents(&logic);
    logic.Form_Load();
    window.show();
    // Where no window manager hands out the focus, the menu keys would otherwise go nowhere.
    window.activateWindow();
}

}  // namespace quillmark
