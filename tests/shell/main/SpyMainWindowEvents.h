// A spy of the main window's events: each one raised, by name, in order.
#pragma once

#include "shell/main/MainWindowControls.h"
#include "shell/main/MainWindowEvents.h"

#include <QList>
#include <QStringList>

namespace quillmark::test {

class SpyMainWindowEvents final : public MainWindowEvents {
public:
    QStringList calls;
    QList<int> keys;
    // When set, the port list's selection as the click handler sees it.
    const MainWindowControls* controls = nullptr;
    QList<int> portIndexAtClick;

    qsizetype count(const QString& name) const { return calls.count(name); }

    void Form_KeyPress(int keyAscii) override {
        calls.append(QStringLiteral("Form_KeyPress"));
        keys.append(keyAscii);
    }
    void Form_QueryUnload() override { calls.append(QStringLiteral("Form_QueryUnload")); }
    void mnuExit_Click() override { calls.append(QStringLiteral("mnuExit_Click")); }
    void mnuViewRealTime_Click() override { calls.append(QStringLiteral("mnuViewRealTime_Click")); }
    void mnuPortSetup_Click() override { calls.append(QStringLiteral("mnuPortSetup_Click")); }
    void mnuHelpContents_Click() override { calls.append(QStringLiteral("mnuHelpContents_Click")); }
    void mnuAbout_Click() override { calls.append(QStringLiteral("mnuAbout_Click")); }
    void cboPort_Click() override {
        calls.append(QStringLiteral("cboPort_Click"));
        if (controls != nullptr) {
            portIndexAtClick.append(controls->portListIndex());
        }
    }
    void cmdPortSelectOK_Click() override { calls.append(QStringLiteral("cmdPortSelectOK_Click")); }
    void cmdCloseRealTimeData_Click() override {
        calls.append(QStringLiteral("cmdCloseRealTimeData_Click"));
    }
    void tmrDataRead_Timer() override { calls.append(QStringLiteral("tmrDataRead_Timer")); }
};

}  // namespace quillmark::test
