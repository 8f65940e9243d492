#!/usr/bin/env bash
# Installs what Quillmark needs to build, run and test on Debian 12. With --arch arm64 also
# what cross-builds the logger for 64-bit Arm and runs it here: the arm64 package lists, the
# cross compiler and qemu (scripts/arm64-sysroot.sh then fetches the arm64 Qt libraries).
set -euo pipefail
. "$(dirname "$0")/arch-option.sh"
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev
    libmosquitto-dev    # the logger's MQTT client; its network runs on a thread of its own
    qt6-httpserver-dev qt6-websockets-dev  # the logger's web dashboard (Qt Core and Network only)
    libqrencode-dev     # the dashboard's link as a QR code on the terminal
    chromium            # the browser the dashboard's end-to-end test drives, headless
    mosquitto mosquitto-clients openssl  # a broker, mosquitto_sub and a TLS certificate for
                                         # the MQTT tests
    fonts-liberation2   # metric-compatible stand-ins for Arial and MS Sans Serif
    fp-utils            # chmcmd, which compiles the help file
    xvfb xdotool imagemagick  # a private display for the demo when there is no desktop
    dpkg-dev            # dpkg-shlibdeps and dpkg-buildflags, for the Debian package
    lintian appstream desktop-file-utils  # checks of the package, metainfo and menu entry
    librsvg2-bin        # rsvg-convert, which renders the icons from their drawing
    clang libclang-rt-14-dev  # libFuzzer and the sanitizers for the fuzz targets
    clang-tidy cppcheck       # static checks in CI
    g++-mingw-w64-x86-64-posix  # compiles the Windows branches in CI (syntax only)
)
# Node.js runs the independent engine-log reader that checks the export. A machine that has it
# already, with its own npm (as Node.js from its makers brings), keeps it: Debian's npm package
# would conflict with it.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if [ "$arch" = arm64 ]; then
    packages+=(g++-aarch64-linux-gnu qemu-user-static)
    if ! dpkg --print-foreign-architectures | grep -qx arm64; then
        $sudo dpkg --add-architecture arm64
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${packages[@]}"

# The engine-log reader the export test reads exports back with, pinned, under the build tree
# (not installed for the system).
npm_dir="$(cd "$(dirname "$0")/.." && pwd)/build/npm"
# With it, puppeteer-core, which drives Debian's Chromium for the dashboard's test (it fetches
# no browser of its own).
for package in mlg-converter@0.8.1 puppeteer-core@24.43.1; do
    if [ "$(cat "$npm_dir/node_modules/${package%@*}/package.json" 2>/dev/null |
            sed -n 's/^ *"version": "\(.*\)",$/\1/p')" != "${package#*@}" ]; then
        mkdir -p "$npm_dir"
        [ -f "$npm_dir/package.json" ] || echo '{"private": true}' >"$npm_dir/package.json"
        npm install --prefix "$npm_dir" --no-audit --no-fund --save-exact "$package"
    fi
done
