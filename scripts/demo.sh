#!/usr/bin/env bash
# Installs, builds and starts Quillmark against the module simulator, which serves on a
# pseudo-terminal registered as Com1. Choose View, View Real Time Data to see live gauges.
# Without a desktop it runs on a private X display, opens the real-time view itself and saves
# a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target quillmark quillmark-sim

# The demo keeps its settings apart from the user's own: the simulator's Com1 entry and the
# remembered port live under the build tree.
export XDG_CONFIG_HOME="$build/demo-config"
mkdir -p "$XDG_CONFIG_HOME"
"$build/bin/quillmark-sim" --com 1 --model "${QUILLMARK_MODEL:-Corvane II VR}" \
    --log "$build/demo-module.log" > "$build/demo-module.out" &
simulator=$!
cleanup() { kill "$simulator" 2>/dev/null || true; wait "$simulator" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 50); do
    grep -qs "Com1=" "$XDG_CONFIG_HOME/Quillmark/Quillmark.conf" && break
    sleep 0.1
done
echo "Module simulator on $(head -n1 "$build/demo-module.out"), registered as Com1."

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$build/bin/quillmark"
    exit 0
fi

echo "No desktop found: running on a private X display for 15 seconds."
display=":$((100 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xserver=$!
trap 'cleanup; kill "$xserver" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bin/quillmark" &
program=$!
sleep 6   # the splash shows for 4 seconds
# The program takes the focus itself; there is no window manager to hand it out.
for key in alt+v r; do
    DISPLAY=$display xdotool key --clearmodifiers "$key" || true
    sleep 0.3
done
sleep 8
DISPLAY=$display import -window root "$build/demo.png"
kill "$program" 2>/dev/null || true
echo "Screenshot of the live gauges: $build/demo.png"
echo "Commands the module received: $(wc -l < "$build/demo-module.log") (log: $build/demo-module.log)"
