#!/usr/bin/env bash
# Installs, builds and runs every test. With --sanitize the suite is built and run with
# AddressSanitizer and UndefinedBehaviorSanitizer in a build tree of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
werror=(-DQUILLMARK_WERROR="${QUILLMARK_WERROR:-OFF}")
exclude=()
if [ "${1:-}" = "--sanitize" ]; then
    build="$root/build-sanitize"
    options=(-DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON)
    exclude=(-LE bench)
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
# One test at a time: several of them measure timing on the real line. Benchmarks say nothing
# under the sanitizers, so that build leaves them out.
ctest --output-on-failure --timeout 600 "${exclude[@]}"
