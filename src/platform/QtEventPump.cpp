#include "platform/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>

namespace quillmark {

void QtEventPump::preferPreciseTimers() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
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
