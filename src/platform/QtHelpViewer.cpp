// Opens the help file on its table of contents.
#include "platform/QtHelpViewer.h"

#include "platform/HelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quillmark {

namespace {

#ifndef Q_OS_WIN
// Asking the desktop blindly would hand the file to a browser or archive tool on many Linux
// machines, so only a viewer registered for the CHM type counts.
bool chmViewerRegistered() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("application/vnd.ms-htmlhelp")});
    if (!query.waitForStarted(2000)) {
        return false;
    }
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}
#endif

}  // namespace

QtHelpViewer::QtHelpViewer(QWidget* mainWindow, SystemViewer systemViewer)
    : mainWindow_(mainWindow), systemViewer_(std::move(systemViewer)) {}

QString QtHelpViewer::htmlContentsPage(const QString& helpFilePath) {
    return QFileInfo(helpFilePath).absolutePath() + QStringLiteral("/help/index.html");
}

bool QtHelpViewer::openInSystemViewer(const QString& helpFilePath) {
    if (!QFileInfo(helpFilePath).isFile()) {
        return false;
    }
#ifdef Q_OS_WIN
    // The CHM type is always registered with the HTML Help viewer on Windows.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFilePath));
#else
    return chmViewerRegistered() && QDesktopServices::openUrl(QUrl::fromLocalFile(helpFilePath));
#endif
}

void QtHelpViewer::openContents(const QString& helpFilePath) {
    if (systemViewer_ && systemViewer_(helpFilePath)) {
        return;
    }
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(mainWindow_);
        if (!mainWindow_) {
            // Nobody owns it, so it goes when its window is closed.
            helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
        }
    }
    helpWindow_->showContents(htmlContentsPage(helpFilePath));
}

}  // namespace quillmark
