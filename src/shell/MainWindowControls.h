// The main window's controls as its logic drives them, and the events the window raises.
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

// Every event of the main window and its controls, named after the control and the event.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    virtual void Form_KeyPress(int keyAscii) = 0;
    virtual void Form_QueryUnload() = 0;
    virtual void mnuExit_Click() = 0;
    virtual void mnuViewRealTime_Click() = 0;
    virtual void mnuPortSetup_Click() = 0;
    virtual void mnuHelpContents_Click() = 0;
    virtual void mnuAbout_Click() = 0;
    virtual void cboPort_Click() = 0;  // a user's choice in the port list
    virtual void cmdPortSelectOK_Click() = 0;
    virtual void cmdCloseRealTimeData_Click() = 0;
    virtual void tmrDataRead_Timer() = 0;
};

}  // namespace quillmark
