// A lane summarised in blocks of rows, so that a long run thins to pixel columns without
// visiting every row where many rows share a column: a block that lies in one column and has
// neither a failed read nor a break of the line inside merges into the column at once. Blocks
// come in two sizes, so that a day on one screen (thousands of rows a column) costs about what
// an hour does. The columns come out exactly as thinToColumns makes them.
#pragma once

#include "analysis/ChartMapping.h"
#include "recording/RecordingColumns.h"

#include <array>
#include <limits>
#include <span>
#include <vector>

namespace quillmark {

inline constexpr std::size_t kRowsPerBlock = 16;
inline constexpr std::size_t kRowsPerLongBlock = 256;

inline constexpr float kNoLow = std::numeric_limits<float>::infinity();
inline constexpr float kNoHigh = -std::numeric_limits<float>::infinity();

struct SampleBlock {
    float first = 0.0f;
    float last = 0.0f;
    // Of the rows read; kNoLow and kNoHigh when none was.
    float low = kNoLow;
    float high = kNoHigh;
    bool whole = false;  // every row read, none more than the longest joined gap after the last
};

// One block for every kRowsPerBlock rows, and one long block for every kRowsPerLongBlock; the
// last of each may be short, and is never whole.
struct LaneBlocks {
    std::vector<SampleBlock> blocks;
    std::vector<SampleBlock> longBlocks;
};

// What the times alone decide, found once for all the lanes of a recording: which blocks and
// long blocks the line runs through without a gap longer than the longest joined one.
struct BlockJoins {
    std::vector<bool> blocks;
    std::vector<bool> longBlocks;
};
BlockJoins blockJoins(std::span<const double> times, double longestGap);
// One lane of the rows `joins` was found for.
LaneBlocks summariseBlocks(std::span<const float> values, const BlockJoins& joins);
// Every value lane of a recording.
std::array<LaneBlocks, kRecordedValues.size()> summariseLanes(const RecordingColumns& rows,
                                                              double longestGap);

// thinToColumns with the help of `blocks`, made by summariseBlocks from the same rows and gap.
std::vector<ColumnExtent> thinToColumnsByBlocks(std::span<const double> times,
                                                std::span<const float> values,
                                                const LaneBlocks& blocks, const TimeWindow& window,
                                                double left, double width, double longestGap);

}  // namespace quillmark
