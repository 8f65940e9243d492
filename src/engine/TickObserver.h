// What the polling cycle tells about each tick: when it starts, every answer that was read
// in full, and when it ends.
#pragma once

#include <QByteArray>

namespace quillmark {

struct ReadCommand;

class TickObserver {
public:
    virtual ~TickObserver() = default;
    virtual void tickStarted() = 0;
    // Only reads that completed: a read that timed out, was ignored or abandoned never arrives.
    virtual void answered(const ReadCommand& read, const QByteArray& answer, float value) = 0;
    virtual void tickEnded() = 0;
};

}  // namespace quillmark
