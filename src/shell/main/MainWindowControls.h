// The main window's controls as its logic drives them.
#pragma once

#include "link/PortSetupControls.h"

#include <QString>

namespace quillmark {

class RealTimeView;

class MainWindowControls : public PortSetupControls {
public:
    ~MainWindowControls() override = default;
    virtual void setKeyPreview(bool on) = 0;
    // The application title names the program in the settings store.
    virtual void setApplicationTitle(const QString& title) = 0;
    // Closes the window; the window then raises Form_QueryUnload.
    virtual void unload() = 0;
    virtual RealTimeView& realTime() = 0;
};

}  // namespace quillmark
