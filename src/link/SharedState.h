// Process-wide state shared by the shell, the module link and the real-time view.
#pragma once

#include <QString>

#include <cstdint>

namespace quillmark {

struct SharedState {
    bool panelActive = false;      // the real-time view runs
    bool escapePressed = false;       // set by Esc, cleared at the start of every polling tick
    std::int16_t commErrorCount = 0;  // line errors reported since the last real-time open
    QString firmwareId;
    QString modelName;  // one of the model names, or empty before the first identification
};

}  // namespace quillmark
