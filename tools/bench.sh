#!/usr/bin/env bash
# Builds and runs the benchmarks against the wire-time stand-in:
#   tools/bench.sh [BAUD...]        poll, archives and write (all four rates: about ten minutes)
#   tools/bench.sh scan [BAUD...]   the search for meters, addresses 1..247 (9600 baud by default)
#   tools/bench.sh riser [tcp] [BAUD...]  "Считать все" over ten meters (9600 baud by default;
#                                   tcp: behind the stand-in as a serial device server)
#   tools/bench.sh journal          storing polls and archives in the journal (SQLite and PostgreSQL)
#   tools/bench.sh collect [LINES]  configurator-collect's round over 100 lines of 10 meters over TCP
#   tools/bench.sh gui              the longest the window waits in a poll, an archive read and
#                                   "Считать все" with the journal window open on five years of records
# BUILD_DIR (default build/) picks the build folder, QT_VERSION_MAJOR=5 or 6 the Qt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if [ "${1:-}" = journal ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target journal_bench
    info=$(mktemp /tmp/journal_bench.XXXXXX)
    trap '"$root/tests/journal/pg_server.sh" stop "$info"' EXIT
    "$root/tests/journal/pg_server.sh" start "$info"
    METER_PG_INFO="$info" "$build/bench/journal_bench"
    exit
fi
if [ "${1:-}" = collect ]; then
    shift
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target collect_bench
    info=$(mktemp /tmp/collect_bench.XXXXXX)
    trap '"$root/tests/journal/pg_server.sh" stop "$info"' EXIT
    "$root/tests/journal/pg_server.sh" start "$info"
    METER_PG_INFO="$info" METER_SIM="$build/sim/meter_sim" METER_COLLECT="$build/configurator-collect" \
        "$build/bench/collect_bench" "$@"
    exit
fi
program=line_bench
if [ "${1:-}" = gui ]; then
    program=gui_bench
    shift
elif [ "${1:-}" = scan ]; then
    program=scan_bench
    shift
elif [ "${1:-}" = riser ]; then
    program=riser_bench
    shift
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QT_VERSION_MAJOR:+-DQT_VERSION_MAJOR="$QT_VERSION_MAJOR"} >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$program" meter_sim
cd "$build"
METER_SIM="$build/sim/meter_sim" "./bench/$program" "$@"
