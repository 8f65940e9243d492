// Opens the help file on its table of contents.
#include "platform/widgets/QtHelpViewer.h"

#include "platform/widgets/HelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QUrl>

namespace quillmark {

namespace {

#ifndef Q_OS_WIN
// A desktop without a working xdg-mime must not leave a process behind.
constexpr int kViewerQueryLimitMs = 5000;
#endif

}  // namespace

QtHelpViewer::QtHelpViewer(QWidget* mainWindow, SystemViewer systemViewer)
    : mainWindow_(mainWindow), systemViewer_(std::move(systemViewer)) {
    if (!systemViewer_) {
        askForChmViewer();
        systemViewer_ = [this](const QString& path) { return openInSystemViewer(path); };
    }
}

QtHelpViewer::~QtHelpViewer() = default;

void QtHelpViewer::askForChmViewer() {
#ifdef Q_OS_WIN
    // The CHM type is always registered with the HTML Help viewer on Windows.
    chmViewerRegistered_ = true;
#else
    // Asking the desktop blindly would hand the file to a browser or archive tool on many Linux
    // machines, so only a viewer registered for the CHM type counts. xdg-mime can take seconds;
    // the answer is waited for nowhere, and until it is in, the program's own window serves.
    viewerQuery_ = std::make_unique<QProcess>();
    QProcess* query = viewerQuery_.get();
    QObject::connect(query, &QProcess::finished, query,
                     [this, query](int exitCode, QProcess::ExitStatus status) {
                         chmViewerRegistered_ = status == QProcess::NormalExit && exitCode == 0 &&
                                                !query->readAllStandardOutput().trimmed().isEmpty();
                     });
    QObject::connect(query, &QProcess::errorOccurred, query, [this](QProcess::ProcessError) {
        if (!chmViewerRegistered_) {
            chmViewerRegistered_ = false;
        }
    });
    QTimer::singleShot(kViewerQueryLimitMs, query, [query] { query->kill(); });
    query->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                              QStringLiteral("application/vnd.ms-htmlhelp")});
#endif
}

QString QtHelpViewer::htmlContentsPage(const QString& helpFilePath) {
    return QFileInfo(helpFilePath).absolutePath() + QStringLiteral("/help/index.html");
}

bool QtHelpViewer::openInSystemViewer(const QString& helpFilePath) {
    return QFileInfo(helpFilePath).isFile() && chmViewerRegistered_.value_or(false) &&
           QDesktopServices::openUrl(QUrl::fromLocalFile(helpFilePath));
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
