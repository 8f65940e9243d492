// Runs pending window events of the Qt event loop in the middle of an operation.
#pragma once

#include "platform/EventPump.h"

namespace quillmark {

class QtEventPump final : public EventPump {
public:
    void yield() override;
    void waitForEvents(std::chrono::nanoseconds timeout) override;
};

}  // namespace quillmark
