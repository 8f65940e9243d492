#include "engine/PollingCycle.h"

#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "engine/EngineReads.h"
#include "engine/ModelTraits.h"
#include "engine/RealTimeView.h"
#include "engine/StatusText.h"
#include "engine/TickObserver.h"
#include "trap/ErrorTrap.h"

#include <cmath>

namespace quillmark {

// The throttle gauge keeps exactly 10 on its lowest segment; the injector gauges move exactly
// 10 up to their second.
int throttleSegment(float percent) {
    if (percent <= 10.0f) {
        return 0;
    }
    return percent <= 20.0f ? 1 : 2;
}

int injectorSegment(float width) {
    return width >= 10.0f ? 1 : 0;
}

namespace {

// The segment is chosen before the pointer moves, so the value never shows against the scale of
// the previous reading.
void showOnSegment(BarGauge& gauge, float value, int (*segmentFor)(float)) {
    gauge.setPointerScale(segmentFor(value));
    gauge.setPointerValue(value);
}

}  // namespace

QString rpmReadout(float rpm) {
    const double rounded = std::round(static_cast<double>(rpm));
    if (!std::isfinite(rounded)) {
        return QStringLiteral("0");
    }
    // Formatted as a whole number rather than cast: a cast of a value beyond the integer range
    // is undefined. Adding 0.0 turns a rounded -0 into 0.
    return QString::number(rounded + 0.0, 'f', 0);
}

PollingCycle::PollingCycle(ModuleLink& link, SharedState& state, EngineReads& reads,
                           RealTimeView& view, std::function<void()> closeRealTimePanel)
    : link_(link),
      state_(state),
      reads_(reads),
      view_(view),
      closeRealTimePanel_(std::move(closeRealTimePanel)) {}

void PollingCycle::pollOnce() {
    // A tick that falls due while a cycle or any other conversation is in progress (inside a
    // yield, a pause or an open dialog) is dropped, so commands never interleave.
    if (link_.activity().busy()) {
        ++ticksDropped_;
        return;
    }
    {
        LinkActivity::Hold hold(link_.activity());
        if (observer_ != nullptr) {
            observer_->tickStarted();
        }
        tick();
        if (observer_ != nullptr) {
            observer_->tickEnded();
        }
    }
    link_.activity().runDeferred();
}

void PollingCycle::show(const PolledValue& polled) {
    const float value = reads_.readValue(polled.quantity);
    if (polled.quantity == Quantity::EngineSpeed) {
        view_.gauTach().setValue(static_cast<float>(value / 1000.0));
        view_.gauTach().setTachDisplayCode(kTachShowsReadout);
        view_.gauTach().setCaption(rpmReadout(value));
        return;
    }
    BarGauge& gauge = (view_.*polled.bar)();
    if (polled.segmentFor != nullptr) {
        showOnSegment(gauge, value, polled.segmentFor);
    } else {
        gauge.setPointerValue(value);
    }
}

void PollingCycle::tick() {
    ErrorTrap trap(link_.boxes());
    std::int16_t status = 0;
    QString text;

    auto yieldAndCheck = [this] {
        link_.pump().yield();
        return state_.escapePressed || !state_.panelActive ? Flow::Finish : Flow::Next;
    };
    auto step = [](auto&& body) { return Step{std::forward<decltype(body)>(body)}; };

    // Every gauge goes to zero and the panel closes; the retard gauge keeps its last value.
    const std::vector<Step> lostLink = {
        nextStep([&] { view_.setStatusText(text); }),
        nextStep([&] {
            view_.gauTPS().setPointerScale(0);
            view_.gauTPS().setPointerValue(0);
        }),
        nextStep([&] { view_.gauBatVolts().setPointerValue(0); }),
        nextStep([&] {
            view_.gauTach().setValue(0);
            view_.gauTach().setTachDisplayCode(kTachShowsReadout);
            view_.gauTach().setCaption(rpmReadout(0.0f));
        }),
        nextStep([&] {
            view_.gauInj1PW().setPointerScale(0);
            view_.gauInj1PW().setPointerValue(0);
            view_.gauInj2PW().setPointerScale(0);
            view_.gauInj2PW().setPointerValue(0);
        }),
        nextStep([&] {
            view_.gauFuelMult1().setPointerValue(0);
            view_.gauFuelMult2().setPointerValue(0);
        }),
        nextStep([&] { link_.closeIfOpen(); }),
        nextStep([&] { closeRealTimePanel_(); }),
    };

    std::vector<Step> cycle = {
        nextStep([&] { state_.escapePressed = false; }),
        step([&] { return state_.panelActive ? Flow::Next : Flow::Finish; }),
        nextStep([&] { status = reads_.ReadStatus(); }),
        step([&] {
            if (link_.linkUp) {
                return Flow::Next;
            }
            trap.run(lostLink);
            return Flow::Finish;
        }),
        nextStep([&] { text = statusText(status); }),
        nextStep([&] { view_.setStatusText(text); }),
    };
    // Each value is read and shown at once, and the window gets its events between two reads;
    // a Close or Esc there ends the pass before the next command goes out.
    for (const PolledValue& polled : kPolledValues) {
        cycle.push_back(step(yieldAndCheck));
        if (polled.quantity == Quantity::Retard) {
            cycle.push_back(nextStep([this] {
                // The plain II has the gauge hidden but the value is still read and set.
                if (modelTraits(state_.modelName).readsRetard) {
                    view_.gauRetard().setPointerValue(reads_.readValue(Quantity::Retard));
                }
            }));
            continue;
        }
        cycle.push_back(nextStep([this, &polled] { show(polled); }));
    }
    cycle.push_back(nextStep([&] { link_.pump().yield(); }));
    trap.run(cycle);
}

}  // namespace quillmark
