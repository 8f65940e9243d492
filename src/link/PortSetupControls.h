// The port setup panel's controls as the port selection drives them.
#pragma once

#include <QString>

namespace quillmark {

class PortSetupControls {
public:
    virtual ~PortSetupControls() = default;
    virtual void setPortSetupVisible(bool visible) = 0;     // fraPortSelect
    virtual void addPortListItem(const QString& text) = 0;  // cboPort
    virtual int portListCount() const = 0;
    // -1 selects nothing. Raises no click event (the logic runs cboPort_Click itself) and
    // throws RaisedError for an index that names no entry.
    virtual void setPortListIndex(int index) = 0;
    virtual int portListIndex() const = 0;
};

}  // namespace quillmark
