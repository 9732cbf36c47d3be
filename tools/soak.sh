#!/usr/bin/env bash
# The long soak: tools/soak.sh [POLLS] [ARCHIVES] [SEED] [late] (defaults 300 20 1).
# "late" adds answers later than the failure period, to a request and its resend.
# A crash of the program shows as an abnormal exit and is counted here.
# The collector's soak: tools/soak.sh collect [ROUNDS] [SEED] (defaults 100 1):
# ten single-meter lines, a quarter of the answers spoiled, half of those late.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
if [ "${1:-}" = collect ]; then
    cmake --build "$build" -j"$(nproc)" --target tst_collect_soak configurator-collect meter_sim || exit 1
    cd "$build/tests/collect"
    exec env METER_SIM="$build/sim/meter_sim" METER_COLLECT="$build/configurator-collect" \
        METER_SOAK_ROUNDS="${2:-100}" METER_SOAK_SEED="${3:-1}" METER_SOAK_SPOILED=25 QTEST_FUNCTION_TIMEOUT=36000000 ./tst_collect_soak
fi
cmake --build "$build" -j"$(nproc)" --target soak meter_sim || exit 1
cd "$build"
METER_SIM="$build/sim/meter_sim" ./bench/soak "${1:-300}" "${2:-20}" "${3:-1}" ${4:-}
code=$?
if [ $code -gt 1 ]; then
    echo "crashes 1 (exit code $code)"
fi
exit $code
