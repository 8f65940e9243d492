#include "analysis/RunAlignment.h"

#include "analysis/ChartMapping.h"

#include <cmath>
#include <utility>

namespace quillmark {

namespace {

std::optional<double> firstCrossing(const RecordingColumns& rows, double rpm, double longestGap) {
    const auto speeds = rows.values(Quantity::EngineSpeed);
    const auto times = rows.times();
    std::optional<std::size_t> lastReading;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double speed = speeds[i];
        if (std::isnan(speed)) {
            continue;  // a failed read says nothing either way
        }
        const std::optional<std::size_t> before = std::exchange(lastReading, i);
        if (speed < rpm || !before || speeds[*before] >= rpm) {
            continue;
        }
        const double low = speeds[*before];
        const double gap = times[i] - times[*before];
        if (*before + 1 != i || gap > longestGap || gap <= 0.0) {
            return times[i];  // no line joins the two readings on the chart either
        }
        return times[*before] + (rpm - low) / (speed - low) * gap;
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> alignmentPoint(const RecordingColumns& rows, const RunAlignmentChoice& choice,
                                     double longestGap) {
    if (rows.empty()) {
        return std::nullopt;
    }
    switch (choice.at) {
        case AlignAt::Start:
            return rows.times().front();
        case AlignAt::Marker:
            for (const ColumnsMarker& marker : rows.markers()) {
                // The user's markers only: alarms differ from run to run.
                if (marker.marker.kind == MarkerKind::User &&
                    marker.marker.number == choice.marker) {
                    return rows.times()[marker.row];
                }
            }
            return std::nullopt;
        case AlignAt::SpeedCrossing:
            return firstCrossing(rows, choice.rpm, longestGap);
    }
    return std::nullopt;
}

std::optional<double> alignmentOffset(const RecordingColumns& first, const RecordingColumns& run,
                                      const RunAlignmentChoice& choice) {
    const auto anchor =
        alignmentPoint(first, choice, longestJoinedGap(samplingInterval(first.times())));
    const auto own = alignmentPoint(run, choice, longestJoinedGap(samplingInterval(run.times())));
    if (!anchor || !own) {
        return std::nullopt;
    }
    return *anchor - *own;
}

QString alignmentText(const RunAlignmentChoice& choice) {
    switch (choice.at) {
        case AlignAt::Start:
            break;
        case AlignAt::Marker:
            return QStringLiteral("at marker %1").arg(choice.marker);
        case AlignAt::SpeedCrossing:
            return QStringLiteral("at the first crossing of %1 rpm").arg(choice.rpm);
    }
    return QStringLiteral("at their starts");
}

QString missingAlignmentText(const RunAlignmentChoice& choice) {
    switch (choice.at) {
        case AlignAt::Start:
            break;
        case AlignAt::Marker:
            return QStringLiteral("has no marker %1").arg(choice.marker);
        case AlignAt::SpeedCrossing:
            return QStringLiteral("never comes up to %1 rpm").arg(choice.rpm);
    }
    return QStringLiteral("has no rows");
}

}  // namespace quillmark
