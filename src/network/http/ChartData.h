// A recording's chart for the web page, thinned on the server: each lane cut into the pixel
// columns of the view by the chart's own min/max blocks, so a day at 40 samples a second costs a
// phone no more than a few hundred columns.
#pragma once

#include "analysis/ChartMapping.h"
#include "analysis/ColumnBlocks.h"
#include "recording/RecordingFormat.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <vector>

namespace quillmark {

// Columns a view may ask for: wider than any screen, and within the bytes a phone should fetch.
inline constexpr int kMaxChartWidth = 2000;

// One lane of a view: its readings' range over the recording and its pixel columns.
struct ChartLane {
    float low = kNoLow;
    float high = kNoHigh;
    std::vector<ColumnExtent> extents;
};

// What one view of a recording's chart shows, before it is written out.
struct ChartView {
    double start = 0.0;  // of the recording
    double end = 0.0;
    TimeWindow window;
    int width = 0;
    std::array<ChartLane, kRecordedValues.size()> lanes;
    QByteArray markers;  // markerJson's entries, apart by commas
};

// The window shown: the one asked for, or without one the whole recording.
TimeWindow chartWindow(double start, double end, std::optional<TimeWindow> asked);

// One marker as the chart lists it: [t, "3", "hill start"], an alarm's as "A1".
QByteArray markerJson(double seconds, const RecordingMarker& marker);

// {"start", "end" of the recording; "from", "to", "width" of the view; "lanes": per value its
// "key", "name", "unit", "low", "high" over the recording and "columns", one a pixel column:
// null without a sample, a number where every sample had it, or [low, high, first, last];
// "breaks": the columns whose line does not join the column before; "markers": [t, number,
// text]}.
QByteArray chartJson(const ChartView& view);

}  // namespace quillmark
