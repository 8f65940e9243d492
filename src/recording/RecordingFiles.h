// Where recordings go and what they are called.
#pragma once

#include <QDateTime>
#include <QString>

#include <QByteArrayView>

#include <memory>
#include <optional>
#include <vector>

class QFile;

namespace quillmark {

class SettingsStore;
struct RecordingRow;

// The model a recording's file name gives, blanks back in place; empty for another name.
QString modelFromRecordingName(const QString& fileName);

// The model a recording was made with, from its rows where they tell: the engine speed per count
// of the speed byte tells the VR from the others, a retard answer the II from the plain
// Corvane. Where the rows do not tell (the engine never turned), the file name decides; a file
// renamed by hand still plays as what it holds. Empty when neither tells.
QString recordedModel(const std::vector<RecordingRow>& rows, const QString& fileName);

// The same, gathered a row at a time while a file streams by.
class RecordedModelClues {
public:
    // One row: its engine speed and what it recorded for the speed command; then whether it
    // has an answer to the retard command. Each is wanted only until it has told.
    void takeSpeed(std::optional<float> rpm, QByteArrayView speedAnswer);
    void takeRetard(bool answered) { retardAnswered_ = retardAnswered_ || answered; }
    bool wantsSpeed() const { return !rpmPerCount_; }
    bool wantsRetard() const { return !retardAnswered_; }
    QString model(const QString& fileName) const;

private:
    std::optional<double> rpmPerCount_;
    bool retardAnswered_ = false;
};

// The per-user folder setting: section and key under the program's settings.
inline constexpr const char* kRecordingSection = "Recording";
inline constexpr const char* kRecordingFolderKey = "Folder";

// "quillmark_<model>_<yyyyMMdd_HHmmss>.csv", blanks in the model as '_'.
QString recordingFileName(const QString& modelName, const QDateTime& localTime);

// The folder setting, or "Quillmark" under the user's documents folder. A leading "~" is the
// user's home, and a relative folder is taken from the home too, never from wherever the
// program happened to be started.
QString recordingFolder(const SettingsStore& settings);
// The same rule for a folder given as text.
QString expandRecordingFolder(const QString& folder);

struct NewRecordingFile {
    std::unique_ptr<QFile> file;  // open for writing; null when it could not be made
    QString path;
    QString error;
};

// Makes the folder when needed and creates a file that did not exist before: a second
// recording in the same second gets "_2", "_3", ... before the extension.
NewRecordingFile createRecordingFile(const QString& folder, const QString& fileName);

}  // namespace quillmark
