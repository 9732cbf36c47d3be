#!/usr/bin/env bash
# The long soak: tools/soak.sh [POLLS] [ARCHIVES] [SEED] [late] (defaults 300 20 1).
# "late" adds answers later than the failure period, to a request and its resend.
# A crash of the program shows as an abnormal exit and is counted here.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target soak meter_sim || exit 1
cd "$build"
METER_SIM="$build/sim/meter_sim" ./bench/soak "${1:-300}" "${2:-20}" "${3:-1}" ${4:-}
code=$?
if [ $code -gt 1 ]; then
    echo "crashes 1 (exit code $code)"
fi
exit $code
