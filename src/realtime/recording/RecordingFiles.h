// Where recordings go and what they are called.
#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class QFile;

namespace quillmark {

class SettingsStore;

// The model a recording's file name gives, blanks back in place; empty for another name.
QString modelFromRecordingName(const QString& fileName);

// The per-user folder setting: section and key under the program's settings.
inline constexpr const char* kRecordingSection = "Recording";
inline constexpr const char* kRecordingFolderKey = "Folder";

// "quillmark_<model>_<yyyyMMdd_HHmmss>.csv", blanks in the model as '_'.
QString recordingFileName(const QString& modelName, const QDateTime& localTime);

// The folder setting, or "Quillmark" under the user's documents folder.
QString recordingFolder(const SettingsStore& settings);

struct NewRecordingFile {
    std::unique_ptr<QFile> file;  // open for writing; null when it could not be made
    QString path;
    QString error;
};

// Makes the folder when needed and creates a file that did not exist before: a second
// recording in the same second gets "_2", "_3", ... before the extension.
NewRecordingFile createRecordingFile(const QString& folder, const QString& fileName);

}  // namespace quillmark
