#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in a build tree of their own and runs each for a bounded time (`ctest -L fuzz`).
# FUZZ_SECONDS sets how long each one runs (60 unless told). `--build` only builds, `--run`
# only runs what was built, so that CI can run the fuzzers beside other single-core work.
set -euo pipefail
what="${1:-all}"
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
if [ "$what" != "--run" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUILLMARK_FUZZ=ON \
        -DQUILLMARK_FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
    cmake --build "$build" --target quillmark_fuzzers
fi
if [ "$what" = "--build" ]; then
    exit 0
fi
cd "$build"
ctest -L fuzz --output-on-failure
# What each fuzzer managed, for the record.
grep -E "^[0-9]+/[0-9]+ Testing: |^stat::(number_of_executed_units|average_exec_per_sec)" \
    Testing/Temporary/LastTest.log || true
