// The chart's arithmetic, free of painting: time to pixel and back, value to pixel, and each
// lane thinned to the first, last, lowest and highest value of every pixel column.
#pragma once

#include <QString>

#include <span>
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

// `values` holds NaN where a read failed; such a sample breaks the line. The samples just
// outside the window are kept so that the line runs on to the edges.
std::vector<ColumnExtent> thinToColumns(std::span<const double> times,
                                        std::span<const float> values, const TimeWindow& window,
                                        double left, double width);

// Seconds as a clock shows elapsed time: "m:ss" below an hour, "h:mm:ss" from an hour on.
QString elapsedClockText(double seconds);

// Index of the last sample at or before `seconds` (0 when there is none before).
std::size_t sampleAtOrBefore(std::span<const double> times, double seconds);

}  // namespace quillmark
