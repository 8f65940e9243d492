#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the result: everything the program reads
# sits in its own directory, the links on the PATH lead there, and the simulated-module
# launcher runs the program on settings of its own, leaves the user's alone and cleans up.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/usr"
cmake --install "$build" --prefix "$prefix" > /dev/null
programs="$prefix/lib/quillmark"
for file in quillmark quillmark-sim quillmark-logger quillmark-simulated Halverd_Logo.gif Quillmark.cfg.sample \
    help/index.html; do
    [ -f "$programs/$file" ] || fail "$file is not in the program directory"
done
for program in quillmark quillmark-sim quillmark-logger quillmark-simulated; do
    [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$programs/$program")" ] ||
        fail "bin/$program does not lead to the program directory"
done
for page in quillmark quillmark-sim quillmark-logger quillmark-simulated; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "no manual page for $page"
done
[ -f "$prefix/lib/systemd/system/quillmark-logger.service" ] || fail "no logger service"
[ -f "$prefix/etc/default/quillmark-logger" ] || fail "no options file for the logger service"
grep -q '^u quillmark ' "$prefix/lib/sysusers.d/quillmark-logger.conf" ||
    fail "no user for the logger service"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/tmp"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime"
settings="$XDG_CONFIG_HOME/Quillmark/Quillmark.conf"
mkdir -p "$(dirname "$settings")" "$TMPDIR"
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '[Ports]\nCom1=/dev/null\n\n[Properties]\nCommPort=7\n' > "$settings"
cp "$settings" "$work/settings.before"

"$prefix/bin/quillmark-simulated" > "$work/launcher.out" &
launcher=$!
program=""
for _ in $(seq 150); do
    program=$(pgrep -P "$launcher" -x quillmark || true)
    [ -n "$program" ] && break
    sleep 0.1
done
[ -n "$program" ] || fail "the launcher did not start the program: $(cat "$work/launcher.out")"
simulator=$(pgrep -P "$launcher" -x quillmark-sim) || fail "no simulator beside the program"
run_config=$(tr '\0' '\n' < "/proc/$program/environ" | sed -n 's/^XDG_CONFIG_HOME=//p')
[ "$run_config" != "$XDG_CONFIG_HOME" ] || fail "the program runs on the user's own settings"
grep -q '^Com1=/dev/pts/' "$run_config/Quillmark/Quillmark.conf" ||
    fail "the simulator is not Com1 in the program's settings"

kill "$program"
wait "$launcher" || true
! kill -0 "$simulator" 2>/dev/null || fail "the simulator outlived the program"
[ -z "$(ls -A "$TMPDIR")" ] || fail "the launcher left $(ls "$TMPDIR") behind"
cmp -s "$settings" "$work/settings.before" || fail "the user's settings changed"
echo "PASS"
