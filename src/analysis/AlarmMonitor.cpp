#include "analysis/AlarmMonitor.h"

#include <cmath>

namespace quillmark {

namespace {
// Decimal values such as 12.4 - 12.0 miss 0.4 by a rounding error; a value back inside by the
// margin as shown re-arms.
constexpr double kSlack = 1e-9;
}  // namespace

QString AlarmEvent::text() const {
    return when.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + what();
}

QString AlarmEvent::what() const {
    const int index = alarmIndex(quantity);
    if (index < 0) {
        return {};
    }
    const AlarmQuantity& shown = kAlarmQuantities[static_cast<std::size_t>(index)];
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromUtf8(shown.name), valueWithUnit(shown, value),
             side == AlarmSide::Low ? QStringLiteral("below") : QStringLiteral("above"),
             limitWithUnit(shown, limit));
}

void AlarmMonitor::setLimits(const AlarmLimits& limits) {
    limits_ = limits;
    reset();
}

void AlarmMonitor::reset() {
    state_.fill(Fired{});
}

std::optional<AlarmSide> AlarmMonitor::activeSide(Quantity quantity) const {
    const int index = alarmIndex(quantity);
    if (index < 0) {
        return std::nullopt;
    }
    const Fired& fired = state_[static_cast<std::size_t>(index)];
    if (fired.low) {
        return AlarmSide::Low;
    }
    if (fired.high) {
        return AlarmSide::High;
    }
    return std::nullopt;
}

void AlarmMonitor::check(const QuantityValues& values, bool checksRetard, const QDateTime& when) {
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        const Quantity quantity = kAlarmQuantities[i].quantity;
        if (quantity == Quantity::Retard && !checksRetard) {
            continue;
        }
        if (const auto value = values[i]; value && std::isfinite(*value)) {
            checkValue(i, static_cast<double>(*value), when);
        }
    }
}

void AlarmMonitor::checkValue(std::size_t index, double value, const QDateTime& when) {
    const AlarmQuantity& quantity = kAlarmQuantities[index];
    const AlarmLimit& limit = limits_.limits[index];
    Fired& fired = state_[index];
    const double shown = shownValue(quantity, value);
    if (limit.low) {
        if (!fired.low && shown < *limit.low) {
            fired.low = true;
            fire({quantity.quantity, AlarmSide::Low, value, *limit.low, when});
        } else if (fired.low && shown - *limit.low >= quantity.rearmMargin - kSlack) {
            fired.low = false;
        }
    }
    if (limit.high) {
        if (!fired.high && shown > *limit.high) {
            fired.high = true;
            fire({quantity.quantity, AlarmSide::High, value, *limit.high, when});
        } else if (fired.high && *limit.high - shown >= quantity.rearmMargin - kSlack) {
            fired.high = false;
        }
    }
}

void AlarmMonitor::fire(const AlarmEvent& event) {
    for (const Listener& listener : listeners_) {
        listener(event);
    }
}

}  // namespace quillmark
