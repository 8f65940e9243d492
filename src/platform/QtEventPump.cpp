#include "platform/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>

#include <thread>

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
    // Qt's timers count whole milliseconds: rounding up would stretch every 2 ms pause by up to
    // a millisecond, and a zero-millisecond timer would spin. Less than a millisecond is slept
    // out in one piece, with no events run in it.
    const auto ms = std::chrono::floor<std::chrono::milliseconds>(timeout);
    if (ms.count() == 0) {
        std::this_thread::sleep_for(timeout);
        yield();
        return;
    }
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(ms);
    // Sleeps in the event dispatcher until any event (input, serial data, a timer) arrives.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace quillmark
