#include "realtime/chart/ColumnBlocks.h"

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

// As thinToColumns places a row.
constexpr double kFarColumn = 1 << 22;

// timeToPixel's arithmetic, written out here so that it is inlined into the loop: the same
// operations in the same order, so the same column to the last bit.
struct ColumnMap {
    double start;
    double length;
    double left;
    double width;

    int operator()(double seconds) const {
        const double x = length > 0.0 ? left + (seconds - start) / length * width : left;
        return static_cast<int>(
            std::floor(std::clamp(x, left - kFarColumn, left + width + kFarColumn)));
    }
};

}  // namespace

std::vector<SampleBlock> summariseBlocks(std::span<const double> times,
                                         std::span<const float> values, double longestGap) {
    const std::size_t count = std::min(times.size(), values.size());
    std::vector<SampleBlock> blocks;
    blocks.reserve(count / kRowsPerBlock + 1);
    for (std::size_t from = 0; from < count; from += kRowsPerBlock) {
        const std::size_t to = std::min(count, from + kRowsPerBlock);
        SampleBlock block{values[from], values[to - 1], values[from], values[from],
                          to - from == kRowsPerBlock};
        for (std::size_t i = from; i < to && block.whole; ++i) {
            if (std::isnan(values[i]) || (i > from && times[i] - times[i - 1] > longestGap)) {
                block.whole = false;
            }
            block.low = std::min(block.low, values[i]);
            block.high = std::max(block.high, values[i]);
        }
        blocks.push_back(block);
    }
    return blocks;
}

std::vector<ColumnExtent> thinToColumnsByBlocks(std::span<const double> times,
                                                std::span<const float> values,
                                                std::span<const SampleBlock> blocks,
                                                const TimeWindow& window, double left, double width,
                                                double longestGap) {
    std::vector<ColumnExtent> extents;
    const std::size_t count = std::min(times.size(), values.size());
    if (count == 0 || !(width > 0.0)) {
        return extents;
    }
    const auto [first, last] = rowsDrawingWindow(times, count, window);
    extents.reserve(std::min<std::size_t>(last - first, static_cast<std::size_t>(width) + 2));

    const ColumnMap columnOf{window.start, window.length(), left, width};
    bool gap = true;
    std::size_t i = first;
    while (i < last) {
        const float value = values[i];
        if (i > first && times[i] - times[i - 1] > longestGap) {
            gap = true;
        }
        if (std::isnan(value)) {
            gap = true;
            ++i;
            continue;
        }
        const int column = columnOf(times[i]);
        if (!gap && !extents.empty() && extents.back().column == column) {
            ColumnExtent& extent = extents.back();
            extent.last = value;
            extent.low = std::min(extent.low, value);
            extent.high = std::max(extent.high, value);
        } else {
            extents.push_back({column, value, value, value, value, !gap && !extents.empty()});
            gap = false;
        }
        // The rest of a whole block in this row's column joins it as its rows would one by one.
        const std::size_t block = i / kRowsPerBlock;
        const std::size_t blockEnd = (block + 1) * kRowsPerBlock;
        if (i % kRowsPerBlock == 0 && block < blocks.size() && blockEnd <= last &&
            blocks[block].whole && columnOf(times[blockEnd - 1]) == column) {
            ColumnExtent& extent = extents.back();
            extent.last = blocks[block].last;
            extent.low = std::min(extent.low, blocks[block].low);
            extent.high = std::max(extent.high, blocks[block].high);
            i = blockEnd;
            continue;
        }
        ++i;
    }
    return extents;
}

}  // namespace quillmark
