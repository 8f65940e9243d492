// The events the main window raises, handled by its logic.
#pragma once

namespace quillmark {

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
