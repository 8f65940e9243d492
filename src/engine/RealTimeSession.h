// Opening and closing the real-time panel: bring the link up, identify the model, set the
// gauges up for it, and let the polling cycle run.
#pragma once

#include <QString>

namespace quillmark {

class MessageBoxes;
class ModuleLink;
class RealTimeView;
struct SharedState;

inline constexpr int kResyncAttempts = 5;

// The tachometer and the retard gauge as they are set up for a model (playback uses this too).
void setUpGaugesFor(RealTimeView& view, const QString& modelName);

class RealTimeSession {
public:
    RealTimeSession(ModuleLink& link, SharedState& state, RealTimeView& view);
    // Without a panel (the logger): the link and the polling only.
    RealTimeSession(ModuleLink& link, SharedState& state);

    // Opens the panel as open() does, once no other conversation with the module is in
    // progress: one that was asked for inside another's wait starts when that one ends.
    void openWhenLinkFree();

    // Brings the link up (resynchronise, identify the model), sets the gauges up for the model
    // and lets the polling run, even when the link did not come up: the first poll then finds
    // it lost. The caller keeps it from starting inside another conversation.
    void open();
    // Stops the polling, hides the panel and closes the port.
    void close();

private:
    void setUpGaugesForModel();

    ModuleLink& link_;
    SharedState& state_;
    RealTimeView* view_ = nullptr;
};

}  // namespace quillmark
