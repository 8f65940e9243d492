// The chart's arithmetic, free of painting: time to pixel and back, value to pixel, each lane
// thinned to the first, last, lowest and highest value of every pixel column, where its line
// breaks, and the ticks and texts of the time axis and the value scales.
#pragma once

#include <QString>

#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quillmark {

struct TimeWindow {
    double start = 0.0;  // seconds at the left edge
    double end = 1.0;    // seconds at the right edge

    double length() const { return end - start; }
};

// x of `seconds` in a plot `width` pixels wide starting at `left`.
double timeToPixel(double seconds, const TimeWindow& window, double left, double width);
double pixelToTime(double x, const TimeWindow& window, double left, double width);

// y of `value` in a lane whose `top` shows `high` and whose bottom shows `low`.
double valueToPixel(double value, double low, double high, double top, double height);

// Zooms by `factor` (above 1 shows less time) keeping `anchor` where it is on the screen; the
// window never grows past `limits` nor shrinks under `shortest` seconds.
TimeWindow zoomWindow(const TimeWindow& window, double factor, double anchor,
                      const TimeWindow& limits, double shortest);
// Moves by `seconds`, held inside `limits`.
TimeWindow panWindow(const TimeWindow& window, double seconds, const TimeWindow& limits);

// Every sample that fell into one pixel column, in time order, without a gap between them.
struct ColumnExtent {
    int column = 0;
    float first = 0.0f;
    float last = 0.0f;
    float low = 0.0f;
    float high = 0.0f;
    bool joinsPrevious = false;  // drawn connected to the extent before it: no gap between
};

// The polling interval, used while there are too few rows to tell.
inline constexpr double kDefaultSampling = 0.5;

// The time between rows as they were sampled: the median gap (of a long run, of evenly spread
// gaps), so that stalls and a closed panel do not count, or kDefaultSampling with fewer than
// two rows.
double samplingInterval(std::span<const double> times);

// The longest time between two rows that the line still joins. A late tick or one missed
// stays joined; a closed panel or a stall breaks the line as a failed read does, instead of
// drawing a ramp the engine never made.
double longestJoinedGap(double sampling);

// The rows [first, last) that draw `window`: those inside it and one on either side, so that
// the line runs on to the edges. `count` rows of `times` are taken.
struct RowSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};
RowSpan rowsDrawingWindow(std::span<const double> times, std::size_t count,
                          const TimeWindow& window);

// `values` holds NaN where a read failed; such a sample breaks the line, and so do more than
// `longestGap` seconds between two rows. The samples just outside the window are kept so that
// the line runs on to the edges.
std::vector<ColumnExtent> thinToColumns(
    std::span<const double> times, std::span<const float> values, const TimeWindow& window,
    double left, double width, double longestGap = std::numeric_limits<double>::infinity());

// Index of the last sample at or before `seconds` (0 when there is none before).
std::size_t sampleAtOrBefore(std::span<const double> times, double seconds);

// No more time labels than this, however long the window: a file whose times jump by years
// costs no more to label than a short one.
inline constexpr int kMaxTimeLabels = 64;

// The first of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 4, 6, 12 and 24 h, then
// whole days 1, 2 or 5 times a power of ten, that is at least `roughSeconds`.
double niceTimeStep(double roughSeconds);

// Times of the labels on the time axis of `window`, plotted `width` pixels wide, one every nice
// step and about `spacing` pixels apart; at most kMaxTimeLabels.
std::vector<double> timeAxisTicks(const TimeWindow& window, double width, double spacing);

// Left edge of a label `textWidth` wide for the tick at `tickX`: just right of the tick, or
// moved left to end at `right` where it would stick out of the plot. None where it would then
// start before `freeFrom`, the end of the label before it.
std::optional<double> labelLeft(double tickX, double textWidth, double freeFrom, double right);

// Elapsed time in whole seconds (rounded down): "m:ss" under an hour, "h:mm:ss" from an hour
// on ("59:59", "1:00:00", "24:00:00"); "--:--" for a time no clock could show.
QString elapsedClockText(double seconds);

// A lane's scale fitted to the values from `low` to `high` in view, a little wider so that the
// line keeps off the lane's edges, and never narrower than a few steps of the lane's last
// decimal (a steady value sits in its middle); none without a value.
std::optional<std::pair<double, double>> fittedScale(double low, double high, int decimals);

// Round values for a lane's scale: 1, 2 or 5 times a power of ten apart, inside [low, high],
// at most `maxCount` of them, and the decimals their step needs.
struct ValueTicks {
    std::vector<double> values;
    int decimals = 0;
};
ValueTicks valueTicks(double low, double high, int maxCount);

}  // namespace quillmark
