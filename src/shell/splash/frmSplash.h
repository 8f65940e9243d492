// The splash window's logic: reads the branding file and styles the window from it.
#pragma once

#include "link/ErrorTrap.h"

#include <QString>

namespace quillmark {

class Files;
class MessageBoxes;
struct SharedState;

// The splash window's controls as its load drives them.
class SplashControls {
public:
    virtual ~SplashControls() = default;
    virtual void setCompanyCaption(const QString& caption) = 0;  // lblCompanyName
    virtual void setCompanyFontName(const QString& face) = 0;
    virtual void setCompanyFontSize(double points) = 0;
    virtual void setCompanyFontBold(bool bold) = 0;
    virtual void setCompanyFontItalic(bool italic) = 0;
    // imgLogo; throws RaisedError naming the file when it is missing or not a picture.
    virtual void loadLogo(const QString& path) = 0;
    virtual void setApplicationTitle(const QString& title) = 0;
    // Closes the window; harmless before it is shown and when called twice.
    virtual void unload() = 0;
};

class frmSplash final {
public:
    frmSplash(Files& files, MessageBoxes& boxes, SharedState& state, SplashControls& controls);

    ProcedureEnd Form_Load();
    void tmrSplashUnload_Timer();

    bool unloaded() const { return unloaded_; }

private:
    const QString& splashItem(int position) const;
    void readBrandingFile();

    Files& files_;
    MessageBoxes& boxes_;
    SharedState& state_;
    SplashControls& controls_;
    QString brandingPath_;
    bool brandingExists_ = false;
    bool unloaded_ = false;
};

}  // namespace quillmark
