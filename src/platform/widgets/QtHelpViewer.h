// Opens the help: the system's CHM viewer where there is one, else the program's own window.
#pragma once

#include "platform/HelpViewer.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QProcess;
class QWidget;

namespace quillmark {

class HelpWindow;

class QtHelpViewer final : public HelpViewer {
public:
    // Hands a help file to the system's viewer; false when no viewer took it.
    using SystemViewer = std::function<bool(const QString& helpFilePath)>;

    // mainWindow owns the fallback help window; tests pass a SystemViewer of their own.
    // Without one, the desktop's viewer is used where one is registered for the CHM type; on
    // Linux that is asked once, in the background, from here on.
    explicit QtHelpViewer(QWidget* mainWindow, SystemViewer systemViewer = {});
    ~QtHelpViewer() override;

    void openContents(const QString& helpFilePath) override;

    // The HTML version's contents page for a given compiled help file.
    static QString htmlContentsPage(const QString& helpFilePath);

    HelpWindow* helpWindow() const { return helpWindow_; }

private:
    QWidget* mainWindow_ = nullptr;
    bool openInSystemViewer(const QString& helpFilePath);
    void askForChmViewer();

    SystemViewer systemViewer_;
    QPointer<HelpWindow> helpWindow_;
    std::unique_ptr<QProcess> viewerQuery_;
    std::optional<bool> chmViewerRegistered_;  // unknown while the query runs
};

}  // namespace quillmark
