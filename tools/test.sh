#!/usr/bin/env bash
# Builds everything and runs the whole test suite: tools/test.sh [BUILD_DIR] [5|6]
# The second argument picks the Qt major version (Qt 5 when both are installed
# and none is given; a build folder keeps the one it was configured with).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
qt_option=()
case "${2:-}" in
    '') ;;
    5 | 6) qt_option=(-DQT_VERSION_MAJOR="$2") ;;
    *) echo "test.sh: the Qt major version is 5 or 6, not '$2'" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${qt_option[@]}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600
