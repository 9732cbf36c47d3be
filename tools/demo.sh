#!/usr/bin/env bash
# Runs the configurator against the meter stand-in on a virtual serial line.
# Usage: tools/demo.sh [BUILD_DIR] [meter_sim options...]
#   BUILD_DIR defaults to "build" (relative to the current directory, else to
#   the repository); further options go to meter_sim, e.g. --wire-time or
#   --config my.meter. Needs socat.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build}
if [ $# -gt 0 ]; then shift; fi
if [ ! -d "$build" ] && [ -d "$repo/$build" ]; then
    build=$repo/$build
fi
build=$(cd "$build" 2>/dev/null && pwd) || { echo "demo: no build directory '$build'" >&2; exit 1; }

configurator=$build/configurator
meter_sim=$build/sim/meter_sim
for f in "$configurator" "$meter_sim"; do
    [ -x "$f" ] || { echo "demo: $f is missing; build it first (cmake --build $build)" >&2; exit 1; }
done
command -v socat >/dev/null || { echo "demo: socat is not installed" >&2; exit 1; }

work=$build/demo
mkdir -p "$work"
rm -f "$work/program" "$work/meter" "$work/meter_sim.out"

socat_pid=
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to ten seconds for a condition.
wait_until() {
    local i
    for i in $(seq 100); do
        if eval "$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

socat -d -d pty,raw,echo=0,link="$work/program" pty,raw,echo=0,link="$work/meter" \
    2>"$work/socat.log" &
socat_pid=$!
wait_until '[ -e "$work/program" ] && [ -e "$work/meter" ]' \
    || { echo "demo: socat made no pty pair, see $work/socat.log" >&2; exit 1; }
port=$(readlink -f "$work/program")

"$meter_sim" --port "$(readlink -f "$work/meter")" --detached "$@" \
    >"$work/meter_sim.out" 2>"$work/meter_sim.log" &
sim_pid=$!
wait_until 'grep -qsx ready "$work/meter_sim.out" || ! kill -0 $sim_pid 2>/dev/null' || true
grep -qsx ready "$work/meter_sim.out" \
    || { echo "demo: meter_sim did not start:" >&2; cat "$work/meter_sim.log" >&2; exit 1; }

# Port, baud rate, stop bits, the four periods (ms), parity code.
printf '%s\n' "$port" 9600 1 300 1000 700 2000 0 >"$work/settings.txt"
if [ -f "$repo/models_counter.csv" ]; then
    cp "$repo/models_counter.csv" "$work/"
fi

echo "demo: program port $port; the meter's traffic is logged in $work/meter_sim.log"
head -n 5 "$work/meter_sim.log" | grep '^meter ' || true
cd "$work"
"$configurator"
