#!/usr/bin/env bash
# Builds the Debian package in a build tree of its own, with Debian's hardening flags, and
# checks it: lintian, appstreamcli and desktop-file-validate. The package lands in
# build-package/; install it with: sudo apt-get install ./build-package/quillmark_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"

"$root/scripts/install-deps.sh"
# Debian's hardening flags, with immediate binding as well.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS LDFLAGS
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
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
