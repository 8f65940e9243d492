// Shows the main window for a look at it: "port" opens the port setup frame, "panel" the
// real-time panel.
#include "link/PortSelection.h"
#include "platform/widgets/QtFonts.h"
#include "engine/RealTimeView.h"
#include "shell/main/MainWindowWidget.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
    quillmark::installFontSubstitutes();
    QApplication app(argc, argv);
    quillmark::MainWindowWidget window;
    for (int n = 1; n <= quillmark::kPortListEntries; ++n) {
        window.addPortListItem(quillmark::portListEntry(n));
    }
    window.setPortListIndex(0);
    const QStringList args = QApplication::arguments();
    window.realTime().setPanelVisible(args.contains(QStringLiteral("panel")));
    window.setPortSetupVisible(args.contains(QStringLiteral("port")));
    window.show();
    // No window manager may be running to do this.
    window.activateWindow();
    return QApplication::exec();
}
