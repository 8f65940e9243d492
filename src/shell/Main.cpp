#include "shell/Main.h"

#include "link/SharedState.h"
#include "platform/widgets/HelpWindow.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtFiles.h"
#include "platform/widgets/QtFonts.h"
#include "platform/widgets/QtHelpViewer.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "platform/QtProgramEnd.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/TerminationRequests.h"
#include "shell/alarms/AlarmController.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/main/frmMain.h"
#include "shell/recording/CompareDialog.h"
#include "shell/recording/RecordingController.h"
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
    // The recording, chart and playback entries; they only act when the user asks.
    const auto chooseRecording = [&window](const QString& title) {
        return [&window, title](const QString& folder) {
            return QFileDialog::getOpenFileName(
                &window, title, folder, QStringLiteral("Recordings (*.csv);;All files (*)"));
        };
    };
    RecordingController recordings(
        window, logic, state,
        {clock, boxes, settings, chooseRecording(QStringLiteral("Open Recording")),
         chooseRecording(QStringLiteral("Export Recording")),
         [&window](const QString& log) {
             return QFileDialog::getSaveFileName(&window, QStringLiteral("Export Recording"), log,
                                                 QStringLiteral("MLG logs (*.mlg)"));
         },
         [&window](const QString& folder,
                   const QString& firstName) -> std::optional<ComparisonRequest> {
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
             if (dialog.exec() != QDialog::Accepted) {
                 return std::nullopt;
             }
             return dialog.request();
         }});
    // The alarm limits; nothing shows until the user sets one.
    AlarmController alarms(window, state, logic.polling().samples(),
                           {settings, boxes, [&logic] { return logic.link().activity().busy(); }});
    // Each alarm is a marker too, on the sample that raised it: the alarms look at a sample
    // before the recording takes it.
    alarms.monitor().addListener([&logic](const AlarmEvent& alarm) {
        logic.polling().samples().addMarker(MarkerKind::Alarm, alarm.what());
    });
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
