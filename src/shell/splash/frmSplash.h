// The splash window's logic: reads the branding file and styles the window from it.
#pragma once

#include "shell/splash/SplashWindowControls.h"
#include "trap/ErrorTrap.h"

#include <QString>

namespace quillmark {

class Files;
class MessageBoxes;
struct BrandingLines;

class frmSplash final {
public:
    frmSplash(Files& files, MessageBoxes& boxes, BrandingLines& branding,
              SplashWindowControls& controls);

    ProcedureEnd Form_Load();
    void tmrSplashUnload_Timer();


private:
    const QString& splashItem(int position) const;
    void readBrandingFile();

    Files& files_;
    MessageBoxes& boxes_;
    BrandingLines& branding_;
    SplashWindowControls& controls_;
    QString brandingPath_;
    bool brandingExists_ = false;
    bool unloaded_ = false;
};

}  // namespace quillmark
