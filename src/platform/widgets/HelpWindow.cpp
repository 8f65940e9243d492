// The program's own help window.
#include "platform/widgets/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quillmark {

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowFlag(Qt::Window);
    setWindowModality(Qt::NonModal);
    setWindowTitle(QStringLiteral("Quillmark Help"));
    setOpenExternalLinks(true);
    resize(720, 640);
    connect(this, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Quillmark Help") : title);
    });
}

void HelpWindow::showContents(const QString& contentsPage) {
    if (QFileInfo(contentsPage).isFile()) {
        setSource(QUrl::fromLocalFile(contentsPage));
    } else {
        setPlainText(QStringLiteral("The help pages were not found at %1.\n\nReinstall Quillmark "
                                    "or copy its help folder back beside the program.")
                         .arg(QDir::toNativeSeparators(contentsPage)));
    }
    show();
    raise();
    activateWindow();
}

}  // namespace quillmark
