// The alarm limits: a low and a high limit per engine value, none unless the user sets one,
// kept in the [Alarms] section of the settings (or a file in the same format).
#pragma once

#include "engine/EngineReads.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace quillmark {

class SettingsStore;

struct AlarmQuantity {
    Quantity quantity;
    const char* name;  // on the alarm line and in the setting keys ("Battery Low")
    const char* unit;
    int decimals;  // of the value on the alarm line and the gauge
    // An alarm fires again only after the value came back inside its limit by this much:
    // about 2 % of the gauge's span, so a value that sits on a limit alarms once.
    double rearmMargin;
};

// The engine speed and the seven bar-gauge values, in the recording's column order.
inline constexpr std::array<AlarmQuantity, 8> kAlarmQuantities{{
    {Quantity::EngineSpeed, "Engine speed", "rpm", 0, 200.0},
    {Quantity::Throttle, "Throttle", "%", 1, 2.0},
    {Quantity::FuelMultiplier1, "Fuel front", "%", 1, 1.0},
    {Quantity::FuelMultiplier2, "Fuel rear", "%", 1, 1.0},
    {Quantity::Battery, "Battery", "V", 1, 0.4},
    {Quantity::Injector1, "Injector front", "ms", 2, 0.5},
    {Quantity::Injector2, "Injector rear", "ms", 2, 0.5},
    {Quantity::Retard, "Retard", "deg", 1, 0.2},
}};

inline constexpr const char* kAlarmsSection = "Alarms";

enum class AlarmSide { Low, High };
inline constexpr std::array<AlarmSide, 2> kAlarmSides{AlarmSide::Low, AlarmSide::High};

// Index of a quantity in kAlarmQuantities, or -1 when it has no alarm (the status).
int alarmIndex(Quantity quantity);

struct AlarmLimit {
    std::optional<double> low;
    std::optional<double> high;

    std::optional<double>& operator[](AlarmSide side) {
        return side == AlarmSide::Low ? low : high;
    }
    const std::optional<double>& operator[](AlarmSide side) const {
        return side == AlarmSide::Low ? low : high;
    }
    bool operator==(const AlarmLimit&) const = default;
};

struct AlarmLimits {
    std::array<AlarmLimit, kAlarmQuantities.size()> limits{};

    bool empty() const;
    bool operator==(const AlarmLimits&) const = default;
};

// "Battery Low", "Engine speed High".
QString alarmKey(const AlarmQuantity& quantity, AlarmSide side);

// A limit as the user types it: a finite number with '.' as the decimal point, blanks around it
// allowed; none for anything else.
std::optional<double> parseLimit(const QString& text);
// The shortest text that reads back as the limit.
QString limitText(double limit);
// The value rounded to the quantity's decimals, as the alarm line and the gauge show it.
double shownValue(const AlarmQuantity& quantity, double value);
// "11.6 V".
QString valueWithUnit(const AlarmQuantity& quantity, double value);
// A limit with the quantity's decimals ("12.0 V"), or as typed where it has more ("12.05 V").
QString limitWithUnit(const AlarmQuantity& quantity, double limit);

// The limits as typed, one text per quantity and side (empty: no limit).
using TypedLimits = std::array<std::array<QString, 2>, kAlarmQuantities.size()>;

struct ReadLimits {
    AlarmLimits limits;
    // What could not be taken, one line each ("Battery Low=12,5 is not a number and is
    // ignored."); such a limit is not set.
    QStringList ignored;
};

// From a lookup of the entries by key (empty for an entry that is not there).
ReadLimits limitsFromTexts(const TypedLimits& texts);
TypedLimits typedLimits(const std::function<QString(const QString& key)>& valueOf);

// The [Alarms] section of the window's settings.
TypedLimits storedTypedLimits(const SettingsStore& settings);
ReadLimits storedLimits(const SettingsStore& settings);
// Rewrites the [Alarms] entries alone: a limit set is stored, one not set is removed, so the
// rest of the file stays as it was. Throws RaisedError as the store does.
void storeLimits(SettingsStore& settings, const AlarmLimits& limits);

// What is wrong with the limits the user typed, for a box; empty when they can be stored.
QString typedLimitsProblem(const TypedLimits& texts);

struct AlarmFileLimits {
    ReadLimits read;
    QString error;  // the file cannot be read; empty when it was
};
// A file of "Name Low=12.0" lines, under an [Alarms] line or without any section line. A file
// with another key, a low limit not below its high limit or no limit at all is refused.
AlarmFileLimits readAlarmFile(const QString& path);
// "Engine speed above 1500 rpm; Battery below 11.5 V", or "none".
QString limitsInForceText(const AlarmLimits& limits);

}  // namespace quillmark
