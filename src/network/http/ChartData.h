// A recording's chart for the web page, thinned on the server: each lane cut into the pixel
// columns of the view by the chart's own min/max blocks, so a day at 40 samples a second costs a
// phone no more than a few hundred columns.
#pragma once

#include "analysis/ChartMapping.h"
#include "analysis/ColumnBlocks.h"
#include "recording/RecordingColumns.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace quillmark {

// Columns a view may ask for: wider than any screen, and within the bytes a phone should fetch.
inline constexpr int kMaxChartWidth = 2000;

// One recording opened for its chart: its columns and its lanes summarised in blocks.
struct ChartRecording {
    QString path;
    qint64 size = 0;
    QDateTime modified;
    RecordingColumns columns;
    std::array<LaneBlocks, kRecordedValues.size()> blocks;
    double longestGap = 0.0;
    QString error;  // empty when it opened
};

// Reads and summarises; slow for a long file, so it runs off the server's thread.
std::shared_ptr<ChartRecording> openChartRecording(const QString& path);
// Whether `opened` still shows the file as it is now.
bool isCurrent(const ChartRecording& opened, const QString& path);

// {"start", "end" of the recording; "from", "to", "width" of the view; "lanes": per value its
// "key", "name", "unit", "low", "high" over the recording and "columns", one a pixel column:
// null without a sample, a number where every sample had it, or [low, high, first, last];
// "breaks": the columns whose line does not join the column before; "markers": [t, number,
// text]}.
// Without a window the whole recording is shown.
QByteArray chartJson(const ChartRecording& recording, std::optional<TimeWindow> window,
                     int width);

}  // namespace quillmark
