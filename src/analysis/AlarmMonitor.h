// Checks each finished tick against the alarm limits and reports every alarm once: a value past
// a limit alarms, and that limit alarms again only after the value came back inside it by the
// quantity's re-arm margin.
#pragma once

#include "analysis/AlarmLimits.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace quillmark {

struct AlarmEvent {
    Quantity quantity = Quantity::Battery;
    AlarmSide side = AlarmSide::Low;
    double value = 0.0;  // as read
    double limit = 0.0;
    QDateTime when;

    // "14:03:22 Battery 11.6 V below 12.0 V".
    QString text() const;
    // The same without the time: "Battery 11.6 V below 12.0 V".
    QString what() const;
};

class AlarmMonitor {
public:
    using Listener = std::function<void(const AlarmEvent&)>;

    // Sets the limits and re-arms every alarm.
    void setLimits(const AlarmLimits& limits);
    const AlarmLimits& limits() const { return limits_; }

    // Told each alarm as it fires, in the order the listeners were added. The alarm line, the
    // logger's standard error line and a recording's marker each listen here.
    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

    // Checks every value the tick read. A value is past a limit when the value as shown (rounded
    // to the quantity's decimals) is below the low or above the high limit; one exactly on it
    // is not. `checksRetard` is false for a model whose panel has no retard gauge. A value the
    // tick did not read leaves its alarm as it was.
    void check(const QuantityValues& values, bool checksRetard, const QDateTime& when);

    // Every alarm re-armed, as on a new link or a panel opened again.
    void reset();

    // The side whose alarm is on (fired and not yet re-armed), none when neither is.
    std::optional<AlarmSide> activeSide(Quantity quantity) const;

private:
    // Which side of a quantity has fired and not yet re-armed.
    struct Fired {
        bool low = false;
        bool high = false;
    };

    void checkValue(std::size_t index, double value, const QDateTime& when);
    void fire(const AlarmEvent& event);

    AlarmLimits limits_;
    std::array<Fired, kAlarmQuantities.size()> state_{};
    std::vector<Listener> listeners_;
};

}  // namespace quillmark
