#include "realtime/chart/RunAlignment.h"

#include "realtime/chart/ChartMapping.h"

#include <cmath>
#include <utility>
#include <vector>

namespace quillmark {

namespace {

std::optional<double> firstCrossing(std::span<const RecordingRow> rows, double rpm,
                                    double longestGap) {
    const auto speedIndex = static_cast<std::size_t>(recordedValueIndex(Quantity::EngineSpeed));
    auto speedAt = [&](std::size_t row) -> std::optional<double> {
        const std::optional<float> speed = rows[row].values[speedIndex];
        if (!speed || std::isnan(*speed)) {
            return std::nullopt;  // a failed read says nothing either way
        }
        return *speed;
    };
    std::optional<std::size_t> lastReading;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<double> speed = speedAt(i);
        if (!speed) {
            continue;
        }
        const std::optional<std::size_t> before = std::exchange(lastReading, i);
        if (*speed < rpm || !before || *speedAt(*before) >= rpm) {
            continue;
        }
        const double low = *speedAt(*before);
        const double gap = rows[i].seconds - rows[*before].seconds;
        if (*before + 1 != i || gap > longestGap || gap <= 0.0) {
            return rows[i].seconds;  // no line joins the two readings on the chart either
        }
        return rows[*before].seconds + (rpm - low) / (*speed - low) * gap;
    }
    return std::nullopt;
}

double joinedGapOf(std::span<const RecordingRow> rows) {
    std::vector<double> times;
    times.reserve(rows.size());
    for (const RecordingRow& row : rows) {
        times.push_back(row.seconds);
    }
    return longestJoinedGap(samplingInterval(times));
}

}  // namespace

std::optional<double> alignmentPoint(std::span<const RecordingRow> rows,
                                     const RunAlignmentChoice& choice, double longestGap) {
    if (rows.empty()) {
        return std::nullopt;
    }
    switch (choice.at) {
        case AlignAt::Start:
            return rows.front().seconds;
        case AlignAt::Marker:
            for (const RecordingRow& row : rows) {
                if (row.marker && row.marker->number == choice.marker) {
                    return row.seconds;
                }
            }
            return std::nullopt;
        case AlignAt::SpeedCrossing:
            return firstCrossing(rows, choice.rpm, longestGap);
    }
    return std::nullopt;
}

std::optional<double> alignmentOffset(std::span<const RecordingRow> first,
                                      std::span<const RecordingRow> run,
                                      const RunAlignmentChoice& choice) {
    const auto anchor = alignmentPoint(first, choice, joinedGapOf(first));
    const auto own = alignmentPoint(run, choice, joinedGapOf(run));
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
