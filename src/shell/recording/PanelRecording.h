// Recording the real-time panel: starting and stopping a recording, the REC line on the panel,
// F9's markers with their text box, and the boxes that say where a recording went or why it
// stopped.
#pragma once

#include "recording/Recorder.h"
#include "shell/recording/RecordingPlatform.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QLabel;
class QTimer;

namespace quillmark {

class MainWindowWidget;
class MarkerTextBox;
class RealTimePanelWidget;
struct SharedState;

class PanelRecording final : public QObject {
    Q_OBJECT
public:
    // `linkBusy` is true while a conversation with the module is in progress.
    PanelRecording(MainWindowWidget& window, const SharedState& state,
                   const RecordingPlatform& platform, std::function<bool()> linkBusy);
    ~PanelRecording() override;

    bool recording() const { return recorder_.recording(); }
    // A new file in the recording folder, named after the model and the time.
    void start();
    // Ends the recording; with `tellUser`, a box says where it went.
    void stop(bool tellUser);
    // The panel closed (by the user or a lost link): the recording ends with it, and the box
    // comes once the panel is gone.
    void endWithPanel();

    // A finished tick's row for the file; returns the marker it put on the row, if any.
    std::vector<RecordingMarker> addRow(const RecordingRow& row);
    // F9: a marker on the sample of this moment, then a box for its text.
    void addMarkerAskingText();

signals:
    // Started, or stopped by the user, the panel or a failed write.
    void recordingChanged();

private:
    QString folder() const;
    void tellSaved(const QString& path, long rows, long dropped);
    void onWriteFailure(const QString& path, const QString& reason);
    // Runs `show` once no link conversation is in progress.
    void showWhenLinkIdle(std::function<void()> show);
    void showRecordingLine();
    // The open marker box keeps what was typed so far and closes.
    void finishMarkerBox();

    MainWindowWidget& window_;
    const SharedState& state_;
    const RecordingPlatform& platform_;
    std::function<bool()> linkBusy_;
    RealTimePanelWidget* panel_ = nullptr;
    QLabel* recordingLine_ = nullptr;
    QTimer* recordingClock_ = nullptr;
    Recorder recorder_;
    QPointer<MarkerTextBox> markerBox_;
    QString lastPath_;
    long lastRows_ = 0;
    long lastDropped_ = 0;
};

}  // namespace quillmark
