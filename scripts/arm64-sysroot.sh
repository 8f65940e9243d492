#!/usr/bin/env bash
# Unpacks Debian's arm64 Qt Core, SerialPort, HttpServer and WebSockets, libmosquitto and
# libqrencode, their headers and CMake files, and every library they load into FOLDER: the cross build links against it and qemu runs the
# arm64 logger from it. The packages are unpacked, not installed: installing arm64 libraries beside
# the amd64 ones needs both at the same version, so it would upgrade this machine's own
# libraries (libc, systemd) whenever the arm64 archive is newer than what is installed.
# scripts/install-deps.sh --arch arm64 adds the architecture and the cross compiler first.
# Usage: scripts/arm64-sysroot.sh FOLDER
set -euo pipefail
sysroot=$1
debs="$sysroot.debs"
mkdir -p "$debs"
sysroot=$(cd "$(dirname "$sysroot")" && pwd)/$(basename "$sysroot")
debs=$(cd "$debs" && pwd)

# The libraries the logger loads, with what they load in turn. libelogind0 is the alternative
# to libsystemd0 and holds a library of the same name, so only the one is unpacked.
mapfile -t runtime < <(apt-cache depends --recurse --no-recommends --no-suggests \
    --no-conflicts --no-breaks --no-replaces --no-enhances \
    libqt6core6:arm64 libqt6serialport6:arm64 libmosquitto1:arm64 libqt6httpserver6:arm64 \
    libqt6websockets6:arm64 libqrencode4:arm64 |
    grep -E '^[a-z0-9][a-z0-9.+-]*:arm64$' | grep -v '^libelogind0:' | sort -u)
# The headers and CMake files alone (their own dependencies are the display libraries), and
# qmake6 for the mkspecs folder that Qt Core's include path names.
packages=("${runtime[@]}" qt6-base-dev:arm64 qt6-serialport-dev:arm64 libmosquitto-dev:arm64
    qt6-httpserver-dev:arm64 qt6-websockets-dev:arm64 libqrencode-dev:arm64 qmake6:arm64)

# Versions that the sysroot already holds are not fetched again.
wanted=$(apt-cache policy "${packages[@]}" | awk '/^[^ ]/ { p = $1 } /Candidate:/ { print p, $2 }')
if [ -f "$sysroot/.packages" ] && [ "$(cat "$sysroot/.packages")" = "$wanted" ]; then
    echo "arm64 sysroot up to date: $sysroot"
    exit 0
fi
rm -rf "$sysroot" "${debs:?}"/*
(cd "$debs" && apt-get download "${packages[@]}")
# Each package unpacked on its own with its control files, as dpkg-shlibdeps finds the
# libraries of packages being built (debian/NAME/DEBIAN/symbols names a library's package),
# then all of them linked together into the one tree that the build and qemu see.
mkdir -p "$debs/debian" "$sysroot"
touch "$debs/debian/control"
for deb in "$debs"/*.deb; do
    tree="$debs/debian/$(dpkg-deb -f "$deb" Package)"
    dpkg-deb -R "$deb" "$tree"
    cp -alf "$tree/." "$sysroot/"
done
rm -rf "$sysroot/DEBIAN"
echo "$wanted" >"$sysroot/.packages"
echo "arm64 sysroot: $sysroot (${#packages[@]} packages)"
