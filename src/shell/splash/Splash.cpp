// Start-up's splash window.
#include "shell/splash/Splash.h"

#include "shell/splash/SplashWindowWidget.h"
#include "shell/splash/frmSplash.h"

namespace quillmark {

void showSplash(Files& files, MessageBoxes& boxes, BrandingLines& branding) {
    SplashWindowWidget window;
    frmSplash logic(files, boxes, branding, window);
    QObject::connect(&window, &SplashWindowWidget::unloadTimerTicked, &window,
                     [&logic] { logic.tmrSplashUnload_Timer(); });
    logic.Form_Load();
    // The load's error dialog runs the event loop, so the timer may already have closed the
    // window; showing it then would leave nothing to close it again.
    if (!window.isUnloaded()) {
        window.exec();
    }
}

}  // namespace quillmark
