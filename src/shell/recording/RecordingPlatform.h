// What the recording, playback, table and export entries reach the system through: the clock,
// the message boxes, the settings and the file dialogs.
#pragma once

#include "recording/MlgExport.h"
#include "shell/recording/CompareDialog.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace quillmark {

class Clock;
class MessageBoxes;
class SettingsStore;

// Where an exported log goes, and the version of the format older viewers may need.
struct ExportTarget {
    QString path;  // empty when the user cancels
    std::uint16_t version = kMlgVersion;
};

struct RecordingPlatform {
    Clock& clock;
    MessageBoxes& boxes;
    SettingsStore& settings;
    // Asks for a recording to open, starting in `folder`; empty when the user cancels.
    std::function<QString(const QString& folder)> chooseRecording;
    // Asks for a recording to export, starting in `folder`, then where its log goes and in
    // which version of the format, suggesting `log`; empty when the user cancels.
    std::function<QString(const QString& folder)> chooseExportSource;
    std::function<ExportTarget(const QString& log)> chooseExportTarget;
    // Asks for recordings to lay over `firstName`, starting in `folder`, and how to line them
    // up, starting from the `last` request; none when the user cancels.
    std::function<std::optional<ComparisonRequest>(const QString& folder, const QString& firstName,
                                                   const std::optional<ComparisonRequest>& last)>
        chooseComparison;
};

}  // namespace quillmark
