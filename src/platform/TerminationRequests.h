// Requests from outside to end the program: `kill`, the session ending at log-out, the terminal
// it runs in closing. Each arrives through the event loop, so the program can end the way its
// window's close box ends it rather than in the middle of whatever it was doing.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace quillmark {

// Only one may exist at a time; while it does, SIGTERM, SIGHUP and SIGINT no longer end the
// process by themselves (nothing changes on Windows, which sends no such signals).
class TerminationRequests final : public QObject {
    Q_OBJECT
public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

signals:
    void requested();

private:
    void take();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quillmark
