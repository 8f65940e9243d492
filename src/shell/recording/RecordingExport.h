// File, Export Recording: a recording written as an engine log beside the window, which goes
// on meanwhile; a box tells how it went.
#pragma once

#include "shell/recording/RecordingPlatform.h"

#include <QObject>

#include <thread>

namespace quillmark {

struct MlgExportResult;

class RecordingExport final : public QObject {
    Q_OBJECT
public:
    explicit RecordingExport(const RecordingPlatform& platform) : platform_(platform) {}
    // An export under way is finished (or dropped) rather than cut off by the program's end.
    ~RecordingExport() override;

    // Asks for the recording, the log's name and its version, then writes it.
    void run();
    bool running() const { return worker_.joinable(); }

signals:
    void runningChanged();

private:
    // Back on the window's thread: the worker is done, the box tells how it went.
    void finish(const MlgExportResult& result, const QString& target);

    const RecordingPlatform& platform_;
    std::thread worker_;
};

}  // namespace quillmark
