// Where the chart's marker flags go, free of painting: rows of flags at the foot of the plot,
// none covering another. A flag that fits in no row is gathered into a single flag at the
// right end of the lowest row, which counts them (the list beside the chart shows them all).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace quillmark {

struct FlagRequest {
    double x = 0.0;      // the marker's line
    double width = 0.0;  // of the flag with its text
};

struct FlagPlace {
    std::size_t row = 0;  // 0 is the lowest
    double left = 0.0;
};

struct FlagLayout {
    // One a request, in the same order; none for a flag gathered into the count.
    std::vector<std::optional<FlagPlace>> flags;
    std::size_t gathered = 0;
    double countLeft = 0.0;  // of the counting flag in the lowest row, when any is gathered
};

// Flags in the order of their markers' times, in `rows` rows between `left` and `right`, at
// least `gap` apart; `countWidth` is the width of the counting flag.
FlagLayout layOutFlags(std::span<const FlagRequest> flags, std::size_t rows, double left,
                       double right, double gap, double countWidth);

}  // namespace quillmark
