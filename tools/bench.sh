#!/usr/bin/env bash
# Builds and runs the benchmarks against the wire-time stand-in:
#   tools/bench.sh [BAUD...]        poll, archives and write (all four rates: about ten minutes)
#   tools/bench.sh scan [BAUD...]   the search for meters, addresses 1..247 (9600 baud by default)
# BUILD_DIR (default build/) picks the build folder, QT_VERSION_MAJOR=5 or 6 the Qt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=line_bench
if [ "${1:-}" = scan ]; then
    program=scan_bench
    shift
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QT_VERSION_MAJOR:+-DQT_VERSION_MAJOR="$QT_VERSION_MAJOR"} >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$program" meter_sim
cd "$build"
METER_SIM="$build/sim/meter_sim" "./bench/$program" "$@"
