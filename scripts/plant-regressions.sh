#!/usr/bin/env bash
# Proves that the suite bites: plants known regressions one at a time in a scratch copy of the
# tree, builds it and runs the tests that should catch them, and reports which failed. By hand,
# not in CI: each regression costs a build and a run of the fault matrix.
#   scripts/plant-regressions.sh [SCRATCH_DIR]    (default /tmp/quillmark-regressions)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch="${1:-/tmp/quillmark-regressions}"
tree="$scratch/tree"
build="$scratch/build"
tests="link_transaction_test|comm_events_test|engine_reads_test|polling_cycle_test|link_pty_e2e_test|program_e2e_test|fault_matrix_e2e_test|soak_e2e_test"

# The working tree as it is, committed or not, without build trees.
rm -rf "$tree"
mkdir -p "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) |
    (cd "$tree" && tar -xf -)
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# name, then one or more "file|perl substitution" pairs that plant it (separated by "||").
regressions=(
    "port not reopened on the first read after an overrun||src/link/CommEvents.cpp|s/namespace quillmark \{/namespace quillmark {\nextern bool overrunSkipsOpen;/; s/(case WhileActive::CloseSilently:\n\s*)closeIfOpen\(\);/\1closeIfOpen();\noverrunSkipsOpen = true;/||src/link/ModuleLink.cpp|s/namespace quillmark \{/#include <utility>\nnamespace quillmark {\nbool overrunSkipsOpen = false;/; s/if \(!port_\.isOpen\(\)\) \{\n(\s*)port_\.open\(\);/if (!port_.isOpen() \&\& !std::exchange(overrunSkipsOpen, false)) {\n\1port_.open();/"
    "input not discarded before each command||src/link/ModuleLink.cpp|s/\n\s*steps\.push_back\(nextStep\(\[this\] \{ port_\.discardInput\(\); \}\)\);//"
    "timeout box swallowed||src/link/ModuleLink.cpp|s/throw RaisedError::comm\(namingOtherHolders\(timeoutText\)\);/return Flow::Finish;/"
    "front and rear fuel multipliers swapped on the gauges||src/engine/PollingCycle.h|s/(FuelMultiplier1, &RealTimeView::gauFuelMult)1/\${1}2/; s/(FuelMultiplier2, &RealTimeView::gauFuelMult)2/\${1}1/"
)

status=0
for entry in "${regressions[@]}"; do
    name=${entry%%||*}
    plants=${entry#*||}
    files=()
    planted=true
    while [ -n "$plants" ]; do
        plant=${plants%%||*}
        [ "$plant" = "$plants" ] && plants="" || plants=${plants#*||}
        file=${plant%%|*}
        change=${plant#*|}
        files+=("$file")
        cp "$root/$file" "$tree/$file"
        perl -0pi -e "$change" "$tree/$file"
        if cmp -s "$root/$file" "$tree/$file"; then
            echo "PLANT FAILED | $name | $file did not change"
            planted=false
        fi
    done
    restore() {
        for file in "${files[@]}"; do
            cp "$root/$file" "$tree/$file"
        done
    }
    if ! $planted; then
        status=1
        restore
        continue
    fi
    if ! cmake --build "$build" -j2 >"$scratch/build.log" 2>&1; then
        echo "PLANT FAILED | $name | does not build (see $scratch/build.log)"
        status=1
        restore
        continue
    fi
    failed=$( (cd "$build" && ctest -R "$tests" 2>/dev/null || true) |
        sed -n 's/^.*Test *#[0-9]*: \([a-z0-9_]*\) .*\*\*\*.*$/\1/p' | tr '\n' ' ')
    if [ -z "$failed" ]; then
        echo "NOT CAUGHT | $name"
        status=1
    else
        echo "caught | $name | $failed"
    fi
    restore
done
exit "$status"
