#include "engine/PollingCycle.h"

#include "engine/EngineReads.h"
#include "engine/ModelTraits.h"
#include "engine/RealTimeView.h"
#include "engine/StatusText.h"
#include "link/ModuleLink.h"
#include "link/SharedState.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"
#include "trap/ErrorTrap.h"

#include <QDateTime>

#include <chrono>
#include <cmath>
#include <utility>

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
    : PollingCycle(link, state, reads, std::move(closeRealTimePanel)) {
    view_ = &view;
}

PollingCycle::PollingCycle(ModuleLink& link, SharedState& state, EngineReads& reads,
                           std::function<void()> closeRealTimePanel)
    : link_(link),
      state_(state),
      reads_(reads),
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
        sample_.reset();
        tick();
        ++ticksRun_;
        // Handed on once the tick is over, even one that Esc or Close cut short: what it read
        // is as good as a whole tick's. A tick whose status read failed took the lost-link path
        // and has nothing to show.
        if (std::optional<Sample> sample = std::exchange(sample_, std::nullopt)) {
            samples_.publish(std::move(*sample));
        }
    }
    link_.activity().runDeferred();
}

// Only reads that completed go into the sample. A value read that timed out and was ignored,
// was abandoned with Abort, or is not made for the model stays empty: "no reading", never the
// 0 its gauge shows.
void PollingCycle::take(Quantity quantity, const Reading& reading) {
    if (!reading.complete()) {
        return;
    }
    if (quantity == Quantity::Status) {
        sample_.emplace();
        sample_->seconds = std::chrono::duration<double>(link_.clock().now()).count();
        sample_->clock = QDateTime::currentDateTime();
        sample_->status = static_cast<std::uint8_t>(reading.value);
    } else if (sample_) {
        sample_->setValue(quantity, reading.value);
    }
    if (sample_) {
        sample_->answers.push_back({readCommand(quantity).command, reading.answer});
    }
}

void PollingCycle::show(const PolledValue& polled, float value) {
    if (view_ == nullptr) {
        return;
    }
    if (polled.quantity == Quantity::EngineSpeed) {
        view_->gauTach().setValue(static_cast<float>(value / 1000.0));
        view_->gauTach().setTachDisplayCode(kTachShowsReadout);
        view_->gauTach().setCaption(rpmReadout(value));
        return;
    }
    BarGauge& gauge = (view_->*polled.bar)();
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
    // The gauges' steps of a program that has them.
    auto onView = [this](auto&& body) {
        return nextStep([this, body] {
            if (view_ != nullptr) {
                body(*view_);
            }
        });
    };

    // Every gauge goes to zero and the panel closes; the retard gauge keeps its last value.
    const std::vector<Step> lostLink = {
        onView([&text](RealTimeView& view) { view.setStatusText(text); }),
        onView([](RealTimeView& view) {
            view.gauTPS().setPointerScale(0);
            view.gauTPS().setPointerValue(0);
        }),
        onView([](RealTimeView& view) { view.gauBatVolts().setPointerValue(0); }),
        onView([](RealTimeView& view) {
            view.gauTach().setValue(0);
            view.gauTach().setTachDisplayCode(kTachShowsReadout);
            view.gauTach().setCaption(rpmReadout(0.0f));
        }),
        onView([](RealTimeView& view) {
            view.gauInj1PW().setPointerScale(0);
            view.gauInj1PW().setPointerValue(0);
            view.gauInj2PW().setPointerScale(0);
            view.gauInj2PW().setPointerValue(0);
        }),
        onView([](RealTimeView& view) {
            view.gauFuelMult1().setPointerValue(0);
            view.gauFuelMult2().setPointerValue(0);
        }),
        nextStep([&] { link_.closeIfOpen(); }),
        nextStep([&] { closeRealTimePanel_(); }),
    };

    std::vector<Step> cycle = {
        nextStep([&] { state_.escapePressed = false; }),
        step([&] { return state_.panelActive ? Flow::Next : Flow::Finish; }),
        nextStep([&] {
            const Reading reading = reads_.read(Quantity::Status);
            status = static_cast<std::int16_t>(reading.value);
            take(Quantity::Status, reading);
        }),
        step([&] {
            if (link_.linkUp) {
                return Flow::Next;
            }
            trap.run(lostLink);
            return Flow::Finish;
        }),
        nextStep([&] { text = statusText(status); }),
        onView([&text](RealTimeView& view) { view.setStatusText(text); }),
    };
    // Each value is read and shown at once, and the window gets its events between two reads;
    // a Close or Esc there ends the pass before the next command goes out.
    for (const PolledValue& polled : kPolledValues) {
        cycle.push_back(step(yieldAndCheck));
        if (polled.quantity == Quantity::Retard) {
            cycle.push_back(nextStep([this] {
                // The plain II has the gauge hidden but the value is still read and set.
                if (modelTraits(state_.modelName).readsRetard) {
                    const Reading reading = reads_.read(Quantity::Retard);
                    take(Quantity::Retard, reading);
                    if (view_ != nullptr) {
                        view_->gauRetard().setPointerValue(reading.value);
                    }
                }
            }));
            continue;
        }
        cycle.push_back(nextStep([this, &polled] {
            const Reading reading = reads_.read(polled.quantity);
            take(polled.quantity, reading);
            show(polled, reading.value);
        }));
    }
    cycle.push_back(nextStep([&] { link_.pump().yield(); }));
    trap.run(cycle);
}

}  // namespace quillmark
