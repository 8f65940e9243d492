// A spy of the main window's controls: remembers what the logic set on them.
#pragma once

#include "SpyViews.h"
#include "platform/ErrorRecord.h"
#include "shell/main/MainWindowControls.h"

#include <QStringList>

namespace quillmark::test {

class SpyMainControls final : public MainWindowControls {
public:
    bool keyPreview = false;
    QString applicationTitle;
    bool portSetupVisible = false;
    QStringList portList;
    int listIndex = -1;
    int unloads = 0;
    SpyRealTimeView view;

    void setKeyPreview(bool on) override { keyPreview = on; }
    void setApplicationTitle(const QString& title) override { applicationTitle = title; }
    void setPortSetupVisible(bool v) override { portSetupVisible = v; }
    void addPortListItem(const QString& text) override { portList << text; }
    int portListCount() const override { return int(portList.size()); }
    void setPortListIndex(int index) override {
        if (index < -1 || index >= portList.size()) {
            throw RaisedError::platform(QStringLiteral("Port list"),
                                        QStringLiteral("Invalid list index"));
        }
        listIndex = index;
    }
    int portListIndex() const override { return listIndex; }
    void unload() override { ++unloads; }
    RealTimeView& realTime() override { return view; }
};

}  // namespace quillmark::test
