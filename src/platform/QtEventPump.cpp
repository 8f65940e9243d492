#include "platform/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace quillmark {

void QtEventPump::preferPreciseTimers() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
#ifdef Q_OS_LINUX
    // The kernel lets a sleep end up to the thread's timer slack late, 50 us by default, to
    // gather wake-ups: every 2 ms pause ran about that much long, nine times a sample. 1 ns
    // asks for the time as set; the threads started later inherit it.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

void QtEventPump::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitForEvents(std::chrono::nanoseconds timeout) {
    if (timeout <= std::chrono::nanoseconds::zero()) {
        yield();
        return;
    }
    // Rounded up: a zero-millisecond timer would turn the wait into a spin.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout);
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(ms);
    // Sleeps in the event dispatcher until any event (input, serial data, a timer) arrives.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace quillmark
