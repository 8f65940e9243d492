// Runs pending window events of the Qt event loop in the middle of an operation.
#pragma once

#include "platform/EventPump.h"

namespace quillmark {

class QtEventPump final : public EventPump {
public:
    // Before the application object exists: Qt's own event dispatcher, whose waits are exact
    // to the microsecond, instead of GLib's, which rounds every timer to whole milliseconds and
    // so stretches each 2 ms pause. Left alone when the user has chosen. On Linux the waits
    // also end on time rather than within the kernel's default timer slack.
    static void preferPreciseTimers();

    void yield() override;
    void waitForEvents(std::chrono::nanoseconds timeout) override;
};

}  // namespace quillmark
