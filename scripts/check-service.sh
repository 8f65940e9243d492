#!/usr/bin/env bash
# Checks the logger's service as the package installs it, without installing the package:
# systemd-analyze verify on the unpacked package beside this machine's own units, and the
# sandbox's exposure score (at most 2.0). Usage: scripts/check-service.sh [PACKAGE.deb]
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls -t "$root_dir"/build-package/quillmark_*.deb | head -n 1)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
# verify starts the unit's dependencies (sysinit.target and so on) from the same root.
mkdir -p "$work/usr/lib/systemd/system"
cp -rn /lib/systemd/system/. "$work/usr/lib/systemd/system/"
MANPATH="$work/usr/share/man" systemd-analyze verify --root="$work" quillmark-logger.service
score=$(systemd-analyze security --offline=yes --root="$work" quillmark-logger.service 2>&1 |
    sed -n 's/.*Overall exposure level for quillmark-logger.service: \([0-9.]*\).*/\1/p')
echo "systemd-analyze verify: passed; exposure level: $score"
awk -v s="$score" 'BEGIN { exit !(s != "" && s <= 2.0) }' || { echo "FAIL: above 2.0" >&2; exit 1; }
