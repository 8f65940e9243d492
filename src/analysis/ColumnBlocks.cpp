#include "analysis/ColumnBlocks.h"

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

BlockJoins blockJoins(std::span<const double> times, double longestGap) {
    BlockJoins joins;
    joins.blocks.reserve(times.size() / kRowsPerBlock + 1);
    for (std::size_t from = 0; from < times.size(); from += kRowsPerBlock) {
        const std::size_t to = std::min(times.size(), from + kRowsPerBlock);
        bool joined = to - from == kRowsPerBlock;
        for (std::size_t i = from + 1; i < to && joined; ++i) {
            joined = times[i] - times[i - 1] <= longestGap;
        }
        joins.blocks.push_back(joined);
    }
    // A long block also needs the line to run on from each of its blocks to the next.
    constexpr std::size_t kBlocksPerLong = kRowsPerLongBlock / kRowsPerBlock;
    for (std::size_t from = 0; from < joins.blocks.size(); from += kBlocksPerLong) {
        const std::size_t to = std::min(joins.blocks.size(), from + kBlocksPerLong);
        bool joined = to - from == kBlocksPerLong;
        for (std::size_t b = from; b < to && joined; ++b) {
            const std::size_t row = b * kRowsPerBlock;
            joined = joins.blocks[b] && (b == from || times[row] - times[row - 1] <= longestGap);
        }
        joins.longBlocks.push_back(joined);
    }
    return joins;
}

LaneBlocks summariseBlocks(std::span<const float> values, const BlockJoins& joins) {
    LaneBlocks lane;
    lane.blocks.reserve(joins.blocks.size());
    for (std::size_t b = 0; b < joins.blocks.size(); ++b) {
        const std::size_t from = b * kRowsPerBlock;
        const std::size_t to = std::min(values.size(), from + kRowsPerBlock);
        SampleBlock block{values[from], values[to - 1], kNoLow, kNoHigh, joins.blocks[b]};
        for (std::size_t i = from; i < to; ++i) {
            if (std::isnan(values[i])) {
                block.whole = false;
            } else {
                block.low = std::min(block.low, values[i]);
                block.high = std::max(block.high, values[i]);
            }
        }
        lane.blocks.push_back(block);
    }
    constexpr std::size_t kBlocksPerLong = kRowsPerLongBlock / kRowsPerBlock;
    lane.longBlocks.reserve(joins.longBlocks.size());
    for (std::size_t from = 0; from < lane.blocks.size(); from += kBlocksPerLong) {
        const std::size_t to = std::min(lane.blocks.size(), from + kBlocksPerLong);
        SampleBlock joined{lane.blocks[from].first, lane.blocks[to - 1].last, kNoLow, kNoHigh,
                           joins.longBlocks[from / kBlocksPerLong]};
        for (std::size_t b = from; b < to; ++b) {
            joined.whole = joined.whole && lane.blocks[b].whole;
            joined.low = std::min(joined.low, lane.blocks[b].low);
            joined.high = std::max(joined.high, lane.blocks[b].high);
        }
        lane.longBlocks.push_back(joined);
    }
    return lane;
}

std::array<LaneBlocks, kRecordedValues.size()> summariseLanes(const RecordingColumns& rows,
                                                              double longestGap) {
    const BlockJoins joins = blockJoins(rows.times(), longestGap);
    std::array<LaneBlocks, kRecordedValues.size()> lanes;
    for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
        lanes[lane] = summariseBlocks(rows.lane(lane), joins);
    }
    return lanes;
}

std::vector<ColumnExtent> thinToColumnsByBlocks(std::span<const double> times,
                                                std::span<const float> values,
                                                const LaneBlocks& blocks, const TimeWindow& window,
                                                double left, double width, double longestGap) {
    std::vector<ColumnExtent> extents;
    const std::size_t count = std::min(times.size(), values.size());
    if (count == 0 || !(width > 0.0)) {
        return extents;
    }
    const RowSpan drawn = rowsDrawingWindow(times, count, window);
    const std::size_t first = drawn.first;
    const std::size_t last = drawn.last;
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
        // The rest of a whole block in this row's column joins it as its rows would one by one;
        // a long block first, then a short one.
        auto joinWhole = [&](std::span<const SampleBlock> summaries, std::size_t rowsEach) {
            const std::size_t index = i / rowsEach;
            const std::size_t end = (index + 1) * rowsEach;
            if (i % rowsEach != 0 || index >= summaries.size() || end > last ||
                !summaries[index].whole || columnOf(times[end - 1]) != column) {
                return false;
            }
            ColumnExtent& extent = extents.back();
            extent.last = summaries[index].last;
            extent.low = std::min(extent.low, summaries[index].low);
            extent.high = std::max(extent.high, summaries[index].high);
            i = end;
            return true;
        };
        if (joinWhole(blocks.longBlocks, kRowsPerLongBlock) ||
            joinWhole(blocks.blocks, kRowsPerBlock)) {
            continue;
        }
        ++i;
    }
    return extents;
}

}  // namespace quillmark
