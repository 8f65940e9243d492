#include "network/http/WebScales.h"

#include "engine/GaugeScales.h"
#include "engine/ModelTraits.h"
#include "engine/PollingCycle.h"
#include "engine/Quantities.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace quillmark {

namespace {

// For a gauge of several scales, how the polling picks its segment.
int (*segmentChoice(const char* gauge))(float) {
    for (const PolledValue& polled : kPolledValues) {
        const std::optional<std::size_t> index = quantityIndex(polled.quantity);
        if (index && QLatin1StringView(kQuantities[*index].gauge) == QLatin1StringView(gauge)) {
            return polled.segmentFor;
        }
    }
    return nullptr;
}

QString colour(std::uint32_t argb) {
    return QStringLiteral("#%1").arg(argb & 0xFFFFFFU, 6, 16, QLatin1Char('0'));
}

QString keyOf(const char* gauge) {
    for (const QuantityFacts& entry : kQuantities) {
        if (QLatin1StringView(entry.gauge) == QLatin1StringView(gauge)) {
            return QString::fromLatin1(entry.key);
        }
    }
    return {};
}

// Whether a value on the boundary of two segments shows on the upper one.
bool upAtBoundary(const char* gauge, const BarGaugeDesign& design) {
    const auto segmentFor = segmentChoice(gauge);
    return segmentFor != nullptr && design.segments.size() > 1 &&
           segmentFor(float(design.segments[0].high)) > 0;
}

QJsonObject barJson(const gauge_tables::NamedBarGauge& bar) {
    QJsonArray segments;
    for (const ScaleSegment& s : bar.design->segments) {
        segments.append(QJsonObject{{QStringLiteral("low"), s.low},
                                    {QStringLiteral("high"), s.high},
                                    {QStringLiteral("top"), s.top},
                                    {QStringLiteral("bottom"), s.bottom},
                                    {QStringLiteral("tickStep"), s.tickStep},
                                    {QStringLiteral("tickFrom"), s.tickFrom},
                                    {QStringLiteral("tickTo"), s.tickTo}});
    }
    QJsonArray bands;
    for (const ScaleBand& b : bar.design->bands) {
        bands.append(QJsonObject{{QStringLiteral("segment"), b.segment},
                                 {QStringLiteral("low"), b.low},
                                 {QStringLiteral("high"), b.high},
                                 {QStringLiteral("colour"), colour(b.colour)}});
    }
    return {{QStringLiteral("gauge"), QString::fromLatin1(bar.name)},
            {QStringLiteral("key"), keyOf(bar.name)},
            {QStringLiteral("label"), QString::fromUtf8(bar.design->label)},
            {QStringLiteral("labelColour"), colour(bar.design->labelColour)},
            {QStringLiteral("segments"), segments},
            {QStringLiteral("upAtBoundary"), upAtBoundary(bar.name, *bar.design)},
            {QStringLiteral("bands"), bands}};
}

}  // namespace

QByteArray scalesModule() {
    QJsonArray bars;
    for (const auto& bar : gauge_tables::kBarGaugeDesigns) {
        bars.append(barJson(bar));
    }
    QJsonObject models;
    for (const ModelTraits& traits : kModelTraits) {
        models.insert(QString::fromLatin1(traits.name),
                      QJsonObject{{QStringLiteral("markLow"), traits.tachMarkLow},
                                  {QStringLiteral("markHigh"), traits.tachMarkHigh},
                                  {QStringLiteral("scaleMax"), traits.tachScaleMax},
                                  {QStringLiteral("showsRetard"), traits.showsRetard}});
    }
    const QJsonObject dial{{QStringLiteral("key"), keyOf("gauTach")},
                           {QStringLiteral("startDegrees"), kDialStartDegrees},
                           {QStringLiteral("sweepDegrees"), kDialSweepDegrees},
                           {QStringLiteral("division"), kDialScaleDivision},
                           {QStringLiteral("caution"), colour(kDialCautionZone)},
                           {QStringLiteral("red"), colour(kDialRedZone)},
                           {QStringLiteral("models"), models}};
    const QJsonObject scales{{QStringLiteral("bars"), bars}, {QStringLiteral("dial"), dial}};
    return "export const scales = " + QJsonDocument(scales).toJson(QJsonDocument::Compact) +
           ";\n";
}

}  // namespace quillmark
