// The main window's controls as its logic drives them, and the events the window raises.
#pragma once

#include <QString>

namespace quillmark {

class RealTimeView;

class MainWindowControls {
public:
    virtual ~MainWindowControls() = default;
    virtual void setKeyPreview(bool on) = 0;
    // The application title names the program in the settings store.
    virtual void setApplicationTitle(const QString& title) = 0;
    virtual void setPortSetupVisible(bool visible) = 0;  // fraPortSelect
    virtual void addPortListItem(const QString& text) = 0;  // cboPort
    virtual int portListCount() const = 0;
    // -1 selects nothing. Raises no click event (the logic runs cboPort_Click itself) and
    // throws RaisedError for an index that names no entry.
    virtual void setPortListIndex(int index) = 0;
    virtual int portListIndex() const = 0;
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
