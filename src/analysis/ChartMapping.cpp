#include "analysis/ChartMapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace quillmark {

namespace {

// A row farther off the plot than this is drawn at this distance: the line towards it still
// leaves the plot at the same place for any row it can be joined to, and a pixel column far
// beyond the range of int (a time jump of years) stays defined.
constexpr double kFarColumn = 1 << 22;

// Rows further apart than this many sampling intervals are not joined.
constexpr double kJoinedIntervals = 2.5;

constexpr double kDay = 86400.0;
constexpr std::array kTimeSteps{1.0,    2.0,    5.0,     10.0,    15.0,    30.0,
                                60.0,   120.0,  300.0,   600.0,   900.0,   1800.0,
                                3600.0, 7200.0, 14400.0, 21600.0, 43200.0, kDay};

// Past 2^53 a double no longer holds every whole second.
constexpr double kLongestClock = 9007199254740992.0;

}  // namespace

double timeToPixel(double seconds, const TimeWindow& window, double left, double width) {
    const double length = window.length();
    if (!(length > 0.0)) {
        return left;
    }
    return left + (seconds - window.start) / length * width;
}

double pixelToTime(double x, const TimeWindow& window, double left, double width) {
    if (!(width > 0.0)) {
        return window.start;
    }
    return window.start + (x - left) / width * window.length();
}

double valueToPixel(double value, double low, double high, double top, double height) {
    const double span = high - low;
    if (!(span > 0.0)) {
        return top + height / 2.0;
    }
    return top + (high - value) / span * height;
}

TimeWindow zoomWindow(const TimeWindow& window, double factor, double anchor,
                      const TimeWindow& limits, double shortest) {
    if (!(factor > 0.0)) {
        return window;
    }
    const double longest = std::max(limits.length(), shortest);
    const double length = std::clamp(window.length() / factor, shortest, longest);
    const double share = window.length() > 0.0 ? (anchor - window.start) / window.length() : 0.5;
    TimeWindow zoomed{anchor - share * length, anchor - share * length + length};
    return panWindow(zoomed, 0.0, limits);
}

TimeWindow panWindow(const TimeWindow& window, double seconds, const TimeWindow& limits) {
    const double length = window.length();
    double start = window.start + seconds;
    if (length >= limits.length()) {
        start = limits.start;
    } else {
        start = std::clamp(start, limits.start, limits.end - length);
    }
    return {start, start + length};
}

double samplingInterval(std::span<const double> times) {
    if (times.size() < 2) {
        return kDefaultSampling;
    }
    // Of a long run, every so many gaps: the median of a day's millions needs no more.
    constexpr std::size_t kMostGaps = 1 << 16;
    const std::size_t stride = (times.size() - 1) / kMostGaps + 1;
    std::vector<double> gaps;
    gaps.reserve((times.size() - 1) / stride + 1);
    for (std::size_t i = 1; i < times.size(); i += stride) {
        gaps.push_back(times[i] - times[i - 1]);
    }
    const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    return *middle > 0.0 && std::isfinite(*middle) ? *middle : kDefaultSampling;
}

double longestJoinedGap(double sampling) {
    return kJoinedIntervals * sampling;
}

RowSpan rowsDrawingWindow(std::span<const double> times, std::size_t count,
                          const TimeWindow& window) {
    const auto timesEnd = times.begin() + static_cast<std::ptrdiff_t>(count);
    std::size_t first = static_cast<std::size_t>(
        std::lower_bound(times.begin(), timesEnd, window.start) - times.begin());
    std::size_t last = static_cast<std::size_t>(
        std::upper_bound(times.begin(), timesEnd, window.end) - times.begin());
    first = first > 0 ? first - 1 : first;
    last = std::min(last + 1, count);
    return {first, last};
}

std::vector<ColumnExtent> thinToColumns(std::span<const double> times,
                                        std::span<const float> values, const TimeWindow& window,
                                        double left, double width, double longestGap) {
    std::vector<ColumnExtent> extents;
    const std::size_t count = std::min(times.size(), values.size());
    if (count == 0 || !(width > 0.0)) {
        return extents;
    }
    const auto [first, last] = rowsDrawingWindow(times, count, window);
    extents.reserve(std::min<std::size_t>(last - first, static_cast<std::size_t>(width) + 2));

    bool gap = true;
    for (std::size_t i = first; i < last; ++i) {
        const float value = values[i];
        if (i > first && times[i] - times[i - 1] > longestGap) {
            gap = true;
        }
        if (std::isnan(value)) {
            gap = true;
            continue;
        }
        const double x = std::clamp(timeToPixel(times[i], window, left, width), left - kFarColumn,
                                    left + width + kFarColumn);
        const int column = static_cast<int>(std::floor(x));
        if (!gap && !extents.empty() && extents.back().column == column) {
            ColumnExtent& extent = extents.back();
            extent.last = value;
            extent.low = std::min(extent.low, value);
            extent.high = std::max(extent.high, value);
            continue;
        }
        extents.push_back({column, value, value, value, value, !gap && !extents.empty()});
        gap = false;
    }
    return extents;
}

std::size_t sampleAtOrBefore(std::span<const double> times, double seconds) {
    const auto after = std::upper_bound(times.begin(), times.end(), seconds);
    return after == times.begin() ? 0 : static_cast<std::size_t>(after - times.begin()) - 1;
}

double niceTimeStep(double roughSeconds) {
    for (const double step : kTimeSteps) {
        if (step >= roughSeconds) {
            return step;
        }
    }
    if (!std::isfinite(roughSeconds)) {
        return roughSeconds;
    }
    const double power = std::pow(10.0, std::floor(std::log10(roughSeconds / kDay)));
    for (const double multiple : {1.0, 2.0, 5.0}) {
        if (multiple * power * kDay >= roughSeconds) {
            return multiple * power * kDay;
        }
    }
    return 10.0 * power * kDay;
}

std::vector<double> timeAxisTicks(const TimeWindow& window, double width, double spacing) {
    std::vector<double> ticks;
    if (!(width > 0.0) || !(spacing > 0.0)) {
        return ticks;
    }
    const double step = niceTimeStep(window.length() / std::max(1.0, std::floor(width / spacing)));
    if (!std::isfinite(step)) {
        return ticks;
    }
    // Counted in whole steps, not summed up: adding a step to a time far larger than it leaves
    // the time where it was.
    const double first = std::ceil(window.start / step);
    const double count = std::floor(window.end / step) - first + 1.0;
    if (!(count >= 1.0)) {
        return ticks;
    }
    const int shown = static_cast<int>(std::min(count, static_cast<double>(kMaxTimeLabels)));
    ticks.reserve(static_cast<std::size_t>(shown));
    for (int i = 0; i < shown; ++i) {
        ticks.push_back((first + i) * step);
    }
    return ticks;
}

std::optional<double> labelLeft(double tickX, double textWidth, double freeFrom, double right) {
    constexpr double kPastTick = 2.0;
    const double leftEdge = std::min(tickX + kPastTick, right - textWidth);
    if (leftEdge < freeFrom) {
        return std::nullopt;
    }
    return leftEdge;
}

QString elapsedClockText(double seconds) {
    if (!(std::abs(seconds) < kLongestClock)) {
        return QStringLiteral("--:--");
    }
    const auto whole = static_cast<long long>(std::floor(seconds));
    const QString sign = whole < 0 ? QStringLiteral("-") : QString();
    const long long left = std::abs(whole);
    const QLatin1Char zero('0');
    if (left < 3600) {
        return QStringLiteral("%1%2:%3").arg(sign).arg(left / 60).arg(left % 60, 2, 10, zero);
    }
    return QStringLiteral("%1%2:%3:%4")
        .arg(sign)
        .arg(left / 3600)
        .arg(left / 60 % 60, 2, 10, zero)
        .arg(left % 60, 2, 10, zero);
}

std::optional<std::pair<double, double>> fittedScale(double low, double high, int decimals) {
    if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) {
        return std::nullopt;
    }
    constexpr double kMargin = 0.05;         // of the span, above and below
    constexpr double kNarrowestSteps = 4.0;  // of the last decimal
    const double narrowest = kNarrowestSteps * std::pow(10.0, -decimals);
    if (high - low < narrowest) {
        const double middle = (low + high) / 2.0;
        low = middle - narrowest / 2.0;
        high = middle + narrowest / 2.0;
    }
    const double margin = (high - low) * kMargin;
    return std::pair(low - margin, high + margin);
}

ValueTicks valueTicks(double low, double high, int maxCount) {
    ValueTicks ticks;
    const double span = high - low;
    if (!(span > 0.0) || !std::isfinite(span) || maxCount < 1) {
        return ticks;
    }
    // From a step that gives too many ticks up to the first that gives few enough; a step
    // longer than the span gives at most one, so this ends within two powers of ten.
    double power = std::pow(10.0, std::floor(std::log10(span / maxCount)));
    for (int decade = 0; decade < 3; ++decade, power *= 10.0) {
        for (const double multiple : {1.0, 2.0, 5.0}) {
            const double step = multiple * power;
            const double first = std::ceil(low / step);
            const double count = std::floor(high / step) - first + 1.0;
            if (count > maxCount) {
                continue;
            }
            for (int i = 0; i < static_cast<int>(count); ++i) {
                ticks.values.push_back((first + i) * step + 0.0);  // + 0.0: no "-0"
            }
            ticks.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
            return ticks;
        }
    }
    return ticks;
}

}  // namespace quillmark
