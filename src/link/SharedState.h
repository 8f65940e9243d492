// Process-wide state shared by the shell, the module link and the real-time view.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace quillmark {

struct SharedState {
    bool RealTimeActive = false;      // the real-time view runs
    bool EscapePressed = false;       // set by Esc, cleared at the start of every polling tick
    std::int16_t CommErrorCount = 0;  // line errors reported since the last real-time open
    QString FirmwareID;
    QString ModelName;        // "Corvane II VR", "Corvane II", "Corvane", or empty before the first
    QStringList SplashItems;  // branding file, first section (index 0 is item 1)
    QStringList AboutLines;   // branding file, second section (index 0 is line 1)
};

}  // namespace quillmark
