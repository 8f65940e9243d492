#!/usr/bin/env bash
# Installs, builds and runs every test. With --sanitize the suite is built and run with
# AddressSanitizer and UndefinedBehaviorSanitizer in a build tree of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
werror=(-DQUILLMARK_WERROR="${QUILLMARK_WERROR:-OFF}")
sanitize=0
# The tests other than the benchmarks mostly wait on their lines and the programs they run, so
# several run at once: three, or two of the slower sanitized ones, whose timed waits on a line
# gave out with four.
jobs=3
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
    jobs=2
    build="$root/build-sanitize"
    options=(-DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

# CI installs once for all its stages and says so with QUILLMARK_DEPS_INSTALLED=1.
if [ "${QUILLMARK_DEPS_INSTALLED:-0}" != 1 ]; then
    "$root/scripts/install-deps.sh"
fi
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" "${werror[@]}"
cmake --build "$build"
cd "$build"
# The benchmarks measure time and run one at a time afterwards, alone; they say nothing under the
# sanitizers, so that build leaves them out.
status=0
ctest --output-on-failure --timeout 600 -j"$jobs" -LE bench || status=$?
if [ "$sanitize" = 0 ]; then
    ctest --output-on-failure --timeout 600 -L bench || status=$?
fi
exit "$status"
