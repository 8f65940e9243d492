// Gathers what one polling tick read into a recording row and hands each finished row on.
#pragma once

#include "recording/RecordingRow.h"
#include "engine/TickObserver.h"

#include <QDateTime>

#include <functional>
#include <vector>

namespace quillmark {

class Clock;

class TickRows final : public TickObserver {
public:
    // Row times are seconds on the monotonic clock; whoever keeps them makes them relative.
    using Listener = std::function<void(const RecordingRow&)>;

    explicit TickRows(Clock& clock) : clock_(clock) {}

    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

    void tickStarted() override;
    void answered(const ReadCommand& read, const QByteArray& answer, float value) override;
    void tickEnded() override;

private:
    Clock& clock_;
    std::vector<Listener> listeners_;
    RecordingRow row_;
    bool open_ = false;
};

// The status text on one line, as the Status column holds it.
QString statusOnOneLine(int statusRaw);
// The local time as the Clock column holds it.
QString clockText(const QDateTime& localTime);

}  // namespace quillmark
