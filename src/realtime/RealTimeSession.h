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

    void mnuViewRealTime_Click();
    void cmdCloseRealTimeData_Click();

private:
    void open();
    void setUpGaugesForModel();

    ModuleLink& link_;
    SharedState& state_;
    RealTimeView& view_;
};

}  // namespace quillmark
