// The middle of a set of timings: on a loaded machine a few slow outliers do not move it.
#pragma once

#include <algorithm>
#include <vector>

namespace quillmark::test {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace quillmark::test
