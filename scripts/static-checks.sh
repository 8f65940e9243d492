#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck over the program's and the simulator's
# sources; either one's finding fails the run. Needs the compile commands of a configured
# build tree (scripts/test.sh makes build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build}"
cd "$root"
mapfile -t sources < <(find src tools -name '*.cpp' | sort)

echo "clang-tidy on ${#sources[@]} files"
# The compile commands are gcc's; clang's -Wmissing-braces (part of -Wall there, not in gcc)
# objects to the brace elision of every table of aggregates, which the language allows.
printf '%s\n' "${sources[@]}" | xargs -P "${STATIC_JOBS:-$(nproc)}" -n 4 clang-tidy -p "$build" --quiet \
    --extra-arg=-Wno-missing-braces

echo "cppcheck on ${#sources[@]} files"
# cppcheck does not know QPointer's conversion to the plain pointer and takes it for an integer.
cppcheck --quiet --error-exitcode=1 --std=c++20 --language=c++ --library=qt \
    --enable=warning,performance,portability --inline-suppr \
    --suppress=missingIncludeSystem \
    --suppress=CastIntegerToAddressAtReturn:src/platform/widgets/QtHelpViewer.h \
    --suppress=CastIntegerToAddressAtReturn:src/shell/recording/LiveChart.h \
    --suppress=CastIntegerToAddressAtReturn:src/shell/recording/RecordingPlayback.h \
    --suppress=CastIntegerToAddressAtReturn:src/shell/recording/TimeAtCellTable.h \
    -I src -I tools "${sources[@]}"
echo "static checks: no findings"
