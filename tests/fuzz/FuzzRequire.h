// The fuzz targets' one assertion: it names the broken expectation before stopping, so the
// fuzzer's report says which one.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace quillmark::fuzz {

inline void require(bool holds, int line = __builtin_LINE()) {
    if (!holds) {
        std::fprintf(stderr, "expectation at line %d does not hold\n", line);
        std::abort();
    }
}

}  // namespace quillmark::fuzz
