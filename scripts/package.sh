#!/usr/bin/env bash
# Builds the Debian package in a build tree of its own, with Debian's hardening flags, and
# checks it: lintian, appstreamcli and desktop-file-validate. The package lands in
# build-package/; install it with: sudo apt-get install ./build-package/quillmark_*.deb
#
# --arch arm64 cross-builds quillmark-logger alone for 64-bit Arm (a board on the vehicle has
# no display) into build-package-arm64/build/quillmark-logger_*_arm64.deb, against Debian's
# arm64 Qt unpacked into build-package-arm64/sysroot, and checks it with lintian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/arch-option.sh"

"$root/scripts/install-deps.sh" ${arch:+--arch "$arch"}
# Debian's hardening flags, with immediate binding as well; for the target's architecture.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS LDFLAGS
flags() { DEB_HOST_ARCH=${arch:-$(dpkg --print-architecture)} dpkg-buildflags --get "$1"; }
CXXFLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)"
LDFLAGS=$(flags LDFLAGS)

if [ "$arch" = arm64 ]; then
    top="$root/build-package-arm64"
    build="$top/build"
    "$root/scripts/arm64-sysroot.sh" "$top/sysroot"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DQUILLMARK_LOGGER_ONLY=ON \
        -DCMAKE_TOOLCHAIN_FILE="$root/packaging/aarch64-linux-gnu.toolchain.cmake" \
        -DQUILLMARK_ARM64_SYSROOT="$top/sysroot"
    cmake --build "$build" --target quillmark_package_files
    # dpkg-shlibdeps names the package of each library from the unpacked arm64 packages'
    # symbols files (sysroot.debs/debian/NAME/DEBIAN), as it does for packages being built.
    depends=$(cd "$top/sysroot.debs" && DEB_HOST_ARCH=arm64 \
        dpkg-shlibdeps -O "$build/bin/quillmark-logger" | sed -n 's/^shlibs:Depends=//p')
    [ -n "$depends" ] || { echo "dpkg-shlibdeps found no dependencies" >&2; exit 1; }
    (cd "$build" && umask 022 && cpack -G DEB -D CPACK_DEBIAN_PACKAGE_DEPENDS="$depends")
    deb=$(ls -t "$build"/quillmark-logger_*_arm64.deb | head -n 1)
    status=0
    lintian --fail-on error "$deb" || status=1
    "$root/scripts/check-service.sh" "$deb" || status=1
    echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB," \
        "installed $(dpkg-deb -f "$deb" Installed-Size) KiB; Depends: $depends)"
    exit "$status"
fi

build="$root/build-package"
# The package needs only the programs and their files, not the tests that 'all' holds.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" --target quillmark_package_files
(cd "$build" && umask 022 && cpack -G DEB)
deb=$(ls -t "$build"/quillmark_*.deb | head -n 1)

status=0
desktop-file-validate "$root/packaging/example.halverd.Quillmark.desktop" || status=1
# The screenshot and home page live on the vendor's web site, which a build machine may not
# reach, so the metainfo is checked offline.
appstreamcli validate --no-net "$root/packaging/example.halverd.Quillmark.metainfo.xml" || status=1
lintian --fail-on error "$deb" || status=1
# The logger's service: systemd-analyze verify and its sandbox score.
"$root/scripts/check-service.sh" "$deb" || status=1
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB," \
    "installed $(dpkg-deb -f "$deb" Installed-Size) KiB)"
exit "$status"
