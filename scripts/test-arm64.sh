#!/usr/bin/env bash
# The logger on 64-bit Arm, from this amd64 machine: installs the cross tools, cross-builds and
# packages quillmark-logger for arm64 (lintian and the service check included), then runs the
# logger's end-to-end tests and those of its web dashboard (built for this machine, with the
# simulator in-process on a pseudo-terminal, and Debian's Chromium where it is installed) against
# the packaged arm64 logger under qemu. Prints the time of each stage.
# Not part of CI, for its time; the README gives it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
top="$root/build-package-arm64"
stage() {
    local started=$SECONDS
    "$@"
    echo "arm64 stage '$*' took $((SECONDS - started)) s"
}

stage "$root/scripts/install-deps.sh" --arch arm64
stage "$root/scripts/arm64-sysroot.sh" "$top/sysroot"
stage "$root/scripts/package.sh" --arch arm64
deb=$(ls -t "$top"/build/quillmark-logger_*_arm64.deb | head -n 1)

# The tests, built for this machine as scripts/test.sh builds them.
build_tests() {
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUILLMARK_WERROR="${QUILLMARK_WERROR:-OFF}"
    cmake --build "$root/build" --target logger_e2e_test logger_web_e2e_test
}
stage build_tests

# The logger as the package installs it, run by qemu with the arm64 libraries of the sysroot
# and with the stand-in for the termios2 requests that this qemu lacks (see QemuTermios2.cpp).
# Under qemu, Qt does not find its plugin folder in the sysroot by itself, and without it no TLS
# backend for --tls-cert; QT_PLUGIN_PATH names it, as the board's own folder would be found.
installed="$top/installed"
rm -rf "$installed"
dpkg-deb -x "$deb" "$installed"
aarch64-linux-gnu-g++ -std=c++20 -O2 -Wall -Wextra -Werror -shared -fPIC \
    -o "$top/QemuTermios2.so" "$root/tests/e2e/arm64/QemuTermios2.cpp"
wrapper="$top/quillmark-logger-qemu"
cat >"$wrapper" <<WRAPPER
#!/bin/sh
exec qemu-aarch64-static -L "$top/sysroot" -E LD_PRELOAD="$top/QemuTermios2.so" \\
    -E QT_PLUGIN_PATH="$top/sysroot/usr/lib/aarch64-linux-gnu/qt6/plugins" \\
    "$installed/usr/lib/quillmark/quillmark-logger" "\$@"
WRAPPER
chmod +x "$wrapper"
file -L "$installed/usr/bin/quillmark-logger" | grep -q 'ARM aarch64' ||
    { echo "the packaged logger is not an arm64 program" >&2; exit 1; }

# Start-up under emulation takes several times as long; the waits stretch, the checks do not.
# The dashboard's test drives Chromium with the puppeteer-core that scripts/install-deps.sh
# puts in build/npm.
under_qemu() {
    QUILLMARK_LOGGER_PROGRAM="$wrapper" QUILLMARK_TEST_TIME_FACTOR=4 \
        QUILLMARK_BUILD_BIN="$root/build/bin" QUILLMARK_NPM_DIR="$root/build/npm" \
        QT_QPA_PLATFORM=offscreen "$root/build/tests/$1"
}
stage under_qemu logger_e2e_test
stage under_qemu logger_web_e2e_test
