#include "realtime/chart/ChartMapping.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

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

std::vector<ColumnExtent> thinToColumns(std::span<const double> times,
                                        std::span<const float> values, const TimeWindow& window,
                                        double left, double width) {
    std::vector<ColumnExtent> extents;
    const std::size_t count = std::min(times.size(), values.size());
    if (count == 0 || !(width > 0.0)) {
        return extents;
    }
    const auto timesEnd = times.begin() + static_cast<std::ptrdiff_t>(count);
    std::size_t first = static_cast<std::size_t>(
        std::lower_bound(times.begin(), timesEnd, window.start) - times.begin());
    std::size_t last = static_cast<std::size_t>(
        std::upper_bound(times.begin(), timesEnd, window.end) - times.begin());
    first = first > 0 ? first - 1 : first;
    last = std::min(last + 1, count);
    extents.reserve(std::min<std::size_t>(last - first, static_cast<std::size_t>(width) + 2));

    bool gap = true;
    for (std::size_t i = first; i < last; ++i) {
        const float value = values[i];
        if (std::isnan(value)) {
            gap = true;
            continue;
        }
        const int column = static_cast<int>(std::floor(timeToPixel(times[i], window, left, width)));
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

QString elapsedClockText(double seconds) {
    // Whole seconds, held where a long long and the text stay sane whatever the input.
    const double whole = std::floor(std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.0, 1e15));
    const auto total = static_cast<long long>(whole);
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long rest = total % 60;
    if (hours == 0) {
        return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2:%3")
        .arg(hours)
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(rest, 2, 10, QLatin1Char('0'));
}

}  // namespace quillmark
