// Process-wide state shared by the shell, the module link and the real-time view.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

namespace quillmark {

// A flag that says when it changes, so that what follows it (the menu entries) is updated then,
// not looked at on every tick. Set and read as a plain bool.
class WatchedFlag final : public QObject {
    Q_OBJECT
public:
    explicit WatchedFlag(bool value = false) : value_(value) {}

    WatchedFlag& operator=(bool value) {
        if (value != value_) {
            value_ = value;
            emit changed(value);
        }
        return *this;
    }
    operator bool() const { return value_; }

signals:
    void changed(bool value);

private:
    bool value_;
};

struct SharedState {
    WatchedFlag panelActive{false};   // the real-time view runs
    bool escapePressed = false;       // set by Esc, cleared at the start of every polling tick
    std::int16_t commErrorCount = 0;  // line errors reported since the last real-time open
    QString firmwareId;
    QString modelName;  // one of the model names, or empty before the first identification
};

}  // namespace quillmark
