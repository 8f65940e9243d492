#include "analysis/AlarmLimits.h"

#include "platform/ProgramName.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>

#include <cmath>

namespace quillmark {

namespace {

const QString kSection = QString::fromLatin1(kAlarmsSection);

constexpr bool inRecordingOrder() {
    constexpr std::array<Quantity, 8> order{
        Quantity::EngineSpeed,     Quantity::Throttle, Quantity::FuelMultiplier1,
        Quantity::FuelMultiplier2, Quantity::Battery,  Quantity::Injector1,
        Quantity::Injector2,       Quantity::Retard,
    };
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (kAlarmQuantities[i].quantity != order[i]) {
            return false;
        }
    }
    return true;
}
static_assert(inRecordingOrder(), "kAlarmQuantities follows the recording's value columns");

QString name(const AlarmQuantity& quantity) {
    return QString::fromUtf8(quantity.name);
}

std::size_t sideIndex(AlarmSide side) {
    return side == AlarmSide::Low ? 0 : 1;
}

}  // namespace

int alarmIndex(Quantity quantity) {
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        if (kAlarmQuantities[i].quantity == quantity) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool AlarmLimits::empty() const {
    return std::all_of(limits.begin(), limits.end(),
                       [](const AlarmLimit& limit) { return !limit.low && !limit.high; });
}

QString alarmKey(const AlarmQuantity& quantity, AlarmSide side) {
    return name(quantity) + QLatin1Char(' ') +
           (side == AlarmSide::Low ? QStringLiteral("Low") : QStringLiteral("High"));
}

std::optional<double> parseLimit(const QString& text) {
    bool ok = false;
    const double limit = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(limit)) {
        return std::nullopt;
    }
    return limit;
}

QString limitText(double limit) {
    return QLocale::c().toString(limit, 'g', QLocale::FloatingPointShortest);
}

double shownValue(const AlarmQuantity& quantity, double value) {
    const double scale = std::pow(10.0, quantity.decimals);
    // Adding 0.0 turns a rounded -0 into 0, which would otherwise show as "-0.0".
    return std::round(value * scale) / scale + 0.0;
}

QString valueWithUnit(const AlarmQuantity& quantity, double value) {
    return QStringLiteral("%1 %2").arg(
        QString::number(shownValue(quantity, value), 'f', quantity.decimals),
        QString::fromUtf8(quantity.unit));
}

QString limitWithUnit(const AlarmQuantity& quantity, double limit) {
    QString text = QString::number(limit, 'f', quantity.decimals);
    if (text.toDouble() != limit) {
        text = limitText(limit);
    }
    return QStringLiteral("%1 %2").arg(text, QString::fromUtf8(quantity.unit));
}

TypedLimits typedLimits(const std::function<QString(const QString& key)>& valueOf) {
    TypedLimits texts;
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        for (AlarmSide side : kAlarmSides) {
            texts[i][sideIndex(side)] = valueOf(alarmKey(kAlarmQuantities[i], side)).trimmed();
        }
    }
    return texts;
}

ReadLimits limitsFromTexts(const TypedLimits& texts) {
    ReadLimits read;
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        for (AlarmSide side : kAlarmSides) {
            const QString& text = texts[i][sideIndex(side)];
            if (text.isEmpty()) {
                continue;
            }
            if (const auto limit = parseLimit(text)) {
                read.limits.limits[i][side] = *limit;
            } else {
                read.ignored.append(QStringLiteral("The alarm limit %1=%2 is not a number and is "
                                                   "ignored.")
                                        .arg(alarmKey(kAlarmQuantities[i], side), text));
            }
        }
    }
    return read;
}

TypedLimits storedTypedLimits(const SettingsStore& settings) {
    const QString app = QString::fromLatin1(kProgramName);
    return typedLimits(
        [&](const QString& key) { return settings.get(app, kSection, key, QString()); });
}

ReadLimits storedLimits(const SettingsStore& settings) {
    return limitsFromTexts(storedTypedLimits(settings));
}

void storeLimits(SettingsStore& settings, const AlarmLimits& limits) {
    const QString app = QString::fromLatin1(kProgramName);
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        for (AlarmSide side : kAlarmSides) {
            const QString key = alarmKey(kAlarmQuantities[i], side);
            if (const auto& limit = limits.limits[i][side]) {
                settings.save(app, kSection, key, limitText(*limit));
            } else if (!settings.get(app, kSection, key, QString()).isEmpty()) {
                settings.remove(app, kSection, key);
            }
        }
    }
}

QString typedLimitsProblem(const TypedLimits& texts) {
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        const AlarmQuantity& quantity = kAlarmQuantities[i];
        for (AlarmSide side : kAlarmSides) {
            const QString& text = texts[i][sideIndex(side)];
            if (!text.trimmed().isEmpty() && !parseLimit(text)) {
                return QStringLiteral(
                           "%1: \"%2\" is not a number. Type a number with a point, "
                           "such as 12.5, or leave the field empty for no limit.")
                    .arg(alarmKey(quantity, side), text.trimmed());
            }
        }
        const auto low = parseLimit(texts[i][0]);
        const auto high = parseLimit(texts[i][1]);
        if (low && high && !(*low < *high)) {
            return QStringLiteral("%1: the low limit must be below the high limit.")
                .arg(name(quantity));
        }
    }
    return {};
}

AlarmFileLimits readAlarmFile(const QString& path) {
    AlarmFileLimits result;
    QFile file(path);
    // QSettings reads a missing or unreadable file as an empty one; the user must hear of it.
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read the alarm limits %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    file.close();
    const QSettings entries(path, QSettings::IniFormat);
    const QString where = QDir::toNativeSeparators(path);
    if (entries.status() != QSettings::NoError) {
        result.error = QStringLiteral("%1 is not a file of alarm limits").arg(where);
        return result;
    }
    // A misspelt key or another section would set no limit without a word: each is named.
    QStringList known;
    for (const AlarmQuantity& quantity : kAlarmQuantities) {
        for (AlarmSide side : kAlarmSides) {
            known << alarmKey(quantity, side);
        }
    }
    QStringList unknown;
    for (const QString& key : entries.allKeys()) {
        const QString bare = key.startsWith(kSection + QLatin1Char('/'))
                                 ? key.mid(kSection.size() + 1)
                                 : key;
        if (!known.contains(bare)) {
            unknown << key;
        }
    }
    if (!unknown.isEmpty()) {
        result.error = QStringLiteral("%1: unknown key %2 (the keys are such as \"Battery "
                                      "Low\" and \"Engine speed High\")")
                           .arg(where, unknown.join(QStringLiteral(", ")));
        return result;
    }
    const TypedLimits texts = typedLimits([&](const QString& key) {
        const QString inSection = kSection + QLatin1Char('/') + key;
        // A value with a comma reads as a list; it is joined back so that it is named as it
        // was written rather than taken for an empty entry.
        const QVariant value = entries.value(entries.contains(inSection) ? inSection : key);
        return value.toStringList().join(QLatin1Char(','));
    });
    result.read = limitsFromTexts(texts);
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        const AlarmLimit& limit = result.read.limits.limits[i];
        if (limit.low && limit.high && !(*limit.low < *limit.high)) {
            result.error = QStringLiteral("%1: %2: the low limit must be below the high limit")
                               .arg(where, name(kAlarmQuantities[i]));
            return result;
        }
    }
    if (result.read.limits.empty()) {
        result.error = QStringLiteral("%1 sets no alarm limit").arg(where);
    }
    return result;
}

QString limitsInForceText(const AlarmLimits& limits) {
    QStringList parts;
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        const AlarmQuantity& quantity = kAlarmQuantities[i];
        const AlarmLimit& limit = limits.limits[i];
        if (limit.low) {
            parts << QStringLiteral("%1 below %2").arg(name(quantity),
                                                       limitWithUnit(quantity, *limit.low));
        }
        if (limit.high) {
            parts << QStringLiteral("%1 above %2").arg(name(quantity),
                                                       limitWithUnit(quantity, *limit.high));
        }
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral("; "));
}

}  // namespace quillmark
