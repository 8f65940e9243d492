#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in a build tree of their own, with warnings as errors, and runs each for a bounded time
# (`ctest -L fuzz`).
# FUZZ_SECONDS sets how long each one runs (60 unless told). `--build` only builds, `--run`
# only runs what was built, so that CI can run the fuzzers beside other single-core work.
set -euo pipefail
what="${1:-all}"
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
if [ "$what" != "--run" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUILLMARK_FUZZ=ON -DQUILLMARK_WERROR=ON \
        -DQUILLMARK_FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
    cmake --build "$build" --target quillmark_fuzzers
fi
if [ "$what" = "--build" ]; then
    exit 0
fi
cd "$build"
artifacts="$build/tests/fuzz"
# Inputs that broke a fuzzer in an earlier run are in its corpus already.
rm -f "$artifacts"/*_fuzz-{crash,leak,timeout,oom}-*
status=0
ctest -L fuzz --output-on-failure || status=$?
# What each fuzzer managed, for the record.
grep -E "^[0-9]+/[0-9]+ Testing: |^stat::(number_of_executed_units|average_exec_per_sec)" \
    Testing/Temporary/LastTest.log || true
# An input that broke a fuzzer joins its seed corpus, so every later run replays it; commit it
# with the fix.
for artifact in "$artifacts"/*_fuzz-{crash,leak,timeout,oom}-*; do
    [ -e "$artifact" ] || continue
    name=$(basename "$artifact")
    fuzzer=${name%%-*}
    cp "$artifact" "$root/tests/fuzz/corpus/$fuzzer/${name#"$fuzzer"-}"
    echo "fuzz.sh: $fuzzer failed on tests/fuzz/corpus/$fuzzer/${name#"$fuzzer"-}" >&2
    status=1
done
exit "$status"
