#!/usr/bin/env bash
# Builds and runs the line benchmark: tools/bench.sh [BAUD...]
# Without arguments it measures 1200, 2400, 4800 and 9600 baud (about ten minutes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target line_bench meter_sim
cd "$build"
METER_SIM="$build/sim/meter_sim" ./bench/line_bench "$@"
