#include "analysis/MarkerFlags.h"

#include <algorithm>

namespace quillmark {

namespace {

// Each flag in the lowest row it fits; `ends` is where each row ends.
FlagLayout placeFlags(std::span<const FlagRequest> flags, double left,
                      const std::vector<double>& ends, double gap) {
    FlagLayout layout;
    std::vector<double> freeFrom(ends.size(), left);
    for (const FlagRequest& flag : flags) {
        std::optional<FlagPlace> place;
        for (std::size_t row = 0; row < ends.size() && !place; ++row) {
            // A flag beside the end of its row ends there, left of its line.
            const double from = std::max(left, std::min(flag.x, ends[row] - flag.width));
            if (from >= freeFrom[row] && from + flag.width <= ends[row]) {
                place = FlagPlace{row, from};
                freeFrom[row] = from + flag.width + gap;
            }
        }
        layout.gathered += place ? 0 : 1;
        layout.flags.push_back(place);
    }
    return layout;
}

}  // namespace

FlagLayout layOutFlags(std::span<const FlagRequest> flags, std::size_t rows, double left,
                       double right, double gap, double countWidth) {
    std::vector<double> ends(rows, right);
    FlagLayout layout = placeFlags(flags, left, ends, gap);
    if (layout.gathered == 0 || rows == 0) {
        return layout;
    }
    // Again with room for the counting flag at the end of the lowest row.
    ends[0] = right - countWidth - gap;
    layout = placeFlags(flags, left, ends, gap);
    layout.countLeft = right - countWidth;
    return layout;
}

}  // namespace quillmark
