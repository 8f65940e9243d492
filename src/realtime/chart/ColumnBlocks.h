// A lane summarised in blocks of rows, so that a long run thins to pixel columns without
// visiting every row where many rows share a column: a block that lies in one column and has
// neither a failed read nor a break of the line inside merges into the column at once. The
// columns come out exactly as thinToColumns makes them.
#pragma once

#include "realtime/chart/ChartMapping.h"

#include <span>
#include <vector>

namespace quillmark {

inline constexpr std::size_t kRowsPerBlock = 16;

struct SampleBlock {
    float first = 0.0f;
    float last = 0.0f;
    float low = 0.0f;
    float high = 0.0f;
    bool whole = false;  // every row read, none more than the longest joined gap after the last
};

// One block for every kRowsPerBlock rows; the last block may be short, and is never whole.
std::vector<SampleBlock> summariseBlocks(std::span<const double> times,
                                         std::span<const float> values, double longestGap);

// thinToColumns with the help of `blocks`, made by summariseBlocks from the same rows and gap.
std::vector<ColumnExtent> thinToColumnsByBlocks(std::span<const double> times,
                                                std::span<const float> values,
                                                std::span<const SampleBlock> blocks,
                                                const TimeWindow& window, double left, double width,
                                                double longestGap);

}  // namespace quillmark
