// The signals that stop a program running unattended or ask it for a new file, delivered
// through the event loop, never inside a signal handler.
#pragma once

#include <QObject>

#include <chrono>
#include <functional>

class QSocketNotifier;

namespace quillmark {

class ProgramSignals final : public QObject {
    Q_OBJECT
public:
    // SIGTERM and SIGINT call onStop, SIGHUP calls onNewFile and SIGUSR1 (when onMarker is
    // given) calls onMarker with the moment the signal came (on the monotonic clock), each when
    // the event loop next runs. One instance a process. Returns an empty text, or why the
    // handlers could not be set.
    explicit ProgramSignals(QObject* parent = nullptr);
    ~ProgramSignals() override;

    using MarkerHandler = std::function<void(std::chrono::nanoseconds arrivedAt)>;
    QString install(std::function<void()> onStop, std::function<void()> onNewFile,
                    MarkerHandler onMarker = {});

private:
    void drain();

    std::function<void()> onStop_;
    std::function<void()> onNewFile_;
    MarkerHandler onMarker_;
    QSocketNotifier* notifier_ = nullptr;
};

// Whether standard output is a terminal (then a status line can be redrawn in place).
bool standardOutputIsTerminal();
// Whether standard error is a terminal (then a QR code drawn in characters can be scanned).
bool standardErrorIsTerminal();

}  // namespace quillmark
