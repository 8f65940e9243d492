# Sourced by the scripts that take --arch: sets `arch` to "" (this machine's) or arm64, the one
# other architecture they build for, and refuses anything else with status 2.
arch=""
case "${1:-}" in
    "") ;;
    --arch=arm64) arch=arm64 ;;
    --arch) [ "${2:-}" = arm64 ] && arch=arm64 || { echo "only --arch arm64 is known" >&2; exit 2; } ;;
    *) echo "usage: $0 [--arch arm64]" >&2; exit 2 ;;
esac
