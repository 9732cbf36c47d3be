#!/usr/bin/env bash
# Runs the Windows build under Wine, headless: tools/test-windows.sh [BUILD_DIR]
# (default build-win, as left by tools/build-windows.sh).
# One test program alone, with its own arguments after its name:
#   tools/test-windows.sh BUILD_DIR tst_archive_window values_share_the_width
# Start a test program under Wine this way, never with a plain `wine`: that
# one runs outside the mask below and maps COM1 to this machine's console.
#
# 1. The unit tests, each Qt Test program of the cross build.
# 2. End to end: the main window of the Windows program on a COM port that
#    Wine maps to one end of a socat pty pair, with the meter stand-in (a Linux
#    program, built natively unless METER_SIM names one) on the other end: a
#    poll, an archive read and a write, checked on the fields and tables.
# 3. The packaged configurator.exe from dist/ starts and stays up.
#
# Wine maps COM1, COM2... to this machine's /dev/ttyS*, and /dev/ttyS0 is the
# console here; the program probes every port it is shown. So everything runs
# in a private mount namespace with /dev/null over every serial device of the
# machine, set up before any Wine program starts, and Wine's own COM mappings
# are removed before each program and when the run ends: the prefix is never
# left pointing at the machine's ports for a Wine started outside this script.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-win}
build=$(cd "$build" && pwd)
only=${2:-}

log() { printf 'test-windows: %s\n' "$*" >&2; }

if [ "${METER_WIN_MASKED:-}" != 1 ]; then
    exec unshare --mount --propagation private env METER_WIN_MASKED=1 "$0" "$@"
fi
for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/ttyAMA* /dev/rfcomm*; do
    [ -e "$dev" ] || continue
    mount --bind /dev/null "$dev"
    if [ "$(stat -L -c %t:%T "$dev")" != "$(stat -L -c %t:%T /dev/null)" ]; then
        log "could not mask $dev; not running Wine"
        exit 1
    fi
done

t_start=$(date +%s)
work=$build/wine-run
rm -rf "$work"
mkdir -p "$work"

export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# No display: the tests use Qt's offscreen platform. Wine passes no QT_*
# variable to a Windows program, but turns WINEQT_* into QT_*.
unset DISPLAY WAYLAND_DISPLAY
export WINEQT_QPA_PLATFORM=offscreen

remove_com_mappings() {
    rm -f "$WINEPREFIX"/dosdevices/com[0-9]*
}

pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    wait 2>/dev/null || true
    remove_com_mappings
}
trap cleanup EXIT
trap 'exit 130' INT TERM

remove_com_mappings # left by an older run, before any Wine program sees them
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix"
    wineboot -i >"$work/wineboot.log" 2>&1
    wineserver -w
fi
remove_com_mappings
wineserver -p 120 # one server for every program of the run
# Without a window manager Wine waits for every hidden window; not managed,
# it does not (only matters where a display is used).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
remove_com_mappings

if [ -n "$only" ]; then
    exe=$(find "$build/tests" -name "$only.exe" | head -n 1)
    [ -n "$exe" ] || { log "no $only.exe in $build/tests"; exit 1; }
    remove_com_mappings
    rc=0
    (cd "$work" && timeout 600 wine "$exe" "${@:3}" -o "$(winepath -w "$work/$only.txt")",txt >>"$work/wine.log" 2>&1) || rc=$?
    cat "$work/$only.txt" 2>/dev/null || log "$only wrote no log (exit $rc)"
    exit "$rc"
fi

failed_programs=()
passed=0
failed=0
skipped=0

# Runs one Qt Test program under Wine; its log goes to a file, since a
# program without a console writes to the debug channel.
run_qt_test() {
    local name=$1 exe=$2 out rc=0 totals
    shift 2
    out=$work/$name.txt
    rm -f "$out"
    (cd "$work" && timeout 600 env "$@" wine "$exe" -o "$(winepath -w "$out")",txt >>"$work/wine.log" 2>&1) || rc=$?
    totals=$(grep -a '^Totals:' "$out" 2>/dev/null | tail -n 1 || true)
    if [ "$rc" -ne 0 ] || [ -z "$totals" ]; then
        log "FAIL $name (exit $rc)"
        grep -a -E -A4 '^FAIL!' "$out" 2>/dev/null | head -n 40 >&2 || true
        failed_programs+=("$name")
    else
        log "ok   $name: $totals"
    fi
    if [ -n "$totals" ]; then
        passed=$((passed + $(sed -E 's/.* ([0-9]+) passed.*/\1/' <<<"$totals")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$totals")))
        skipped=$((skipped + $(sed -E 's/.* ([0-9]+) skipped.*/\1/' <<<"$totals")))
    else
        failed=$((failed + 1))
    fi
}

# 1. Unit tests.
t=$(date +%s)
mapfile -t unit_tests < <(find "$build/tests" -name 'tst_*.exe' ! -name 'tst_win_on_line.exe' | sort)
if [ ${#unit_tests[@]} -eq 0 ]; then
    log "no test programs in $build/tests; run tools/build-windows.sh first"
    exit 1
fi
for exe in "${unit_tests[@]}"; do
    remove_com_mappings
    run_qt_test "$(basename "$exe" .exe)" "$exe"
done
log "unit tests: ${#unit_tests[@]} programs in $(( $(date +%s) - t )) s"

# 2. End to end over a COM port.
t=$(date +%s)
meter_sim=${METER_SIM:-}
if [ -z "$meter_sim" ]; then
    host=$root/build-win-host
    cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >"$work/host-cmake.log" 2>&1
    cmake --build "$host" --target meter_sim -j"$(nproc)" >>"$work/host-cmake.log" 2>&1
    meter_sim=$host/sim/meter_sim
fi

wait_until() {
    local i
    for i in $(seq 100); do
        if eval "$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

socat -d -d pty,raw,echo=0,link="$work/program" pty,raw,echo=0,link="$work/meter" 2>"$work/socat.log" &
pids+=($!)
wait_until '[ -e "$work/program" ] && [ -e "$work/meter" ]' || { log "socat made no pty pair"; exit 1; }
"$meter_sim" --port "$work/meter" --detached >"$work/meter_sim.out" 2>"$work/meter_sim.log" &
pids+=($!)
wait_until 'grep -qsx ready "$work/meter_sim.out"' || { log "meter_sim did not start"; cat "$work/meter_sim.log" >&2; exit 1; }

# A two-digit port, as USB adapters get: Windows opens it only as \\.\COM12.
port=COM12
remove_com_mappings
ln -s "$work/program" "$WINEPREFIX/dosdevices/com12"
run_qt_test tst_win_on_line "$build/tests/windows/tst_win_on_line.exe" METER_PORT=$port
requests=$(grep -c -E '^(->|<-|rx|meter)' "$work/meter_sim.log" || true)
log "end to end in $(( $(date +%s) - t )) s; the stand-in logged $requests lines"

# 3. The package, unpacked as a technician would: configurator.exe, started
# from another folder as a shortcut or a command prompt may, takes the port
# from a settings.txt beside it, and when closed as a user closes it
# (WM_CLOSE, as taskkill without /f sends) saves settings.txt beside itself,
# all eight lines with the CRLF they were typed with, and writes nothing into
# the folder it was started from.
t=$(date +%s)
zip=$(ls -t "$root"/dist/configurator-*-win64.zip 2>/dev/null | head -n 1 || true)
if [ -z "$zip" ]; then
    log "FAIL no package in dist/"
    failed_programs+=(package)
    failed=$((failed + 1))
else
    rm -rf "$work/package" && mkdir -p "$work/package"
    (cd "$work/package" && unzip -q "$zip")
    exe=$(find "$work/package" -name configurator.exe | head -n 1)
    dir=$(dirname "$exe")
    # Both programs carry the icon (group icon, type 14) and the version
    # information (type 16) that Explorer shows.
    for program in configurator configurator-collect; do
        if wrestool -l --type=14 "$dir/$program.exe" 2>/dev/null | grep -q . \
            && wrestool -x --raw --type=16 "$dir/$program.exe" 2>/dev/null | strings -e l | grep -qx "$program.exe"; then
            log "ok   $program.exe carries its icon and version information"
            passed=$((passed + 1))
        else
            log "FAIL $program.exe has no icon or no version information"
            failed_programs+=("$program resources")
            failed=$((failed + 1))
        fi
    done
    printf 'COM12\r\n' >"$dir/settings.txt"
    # The program itself has only Qt's Windows platform, which needs a
    # display: a virtual one, and a Wine server that starts with it.
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/xvfb.display" 2>"$work/xvfb.log" &
    pids+=($!)
    wait_until '[ -s "$work/xvfb.display" ]' || { log "Xvfb did not start"; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$(cat "$work/xvfb.display")
    unset WINEQT_QPA_PLATFORM
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p 120
    remove_com_mappings
    elsewhere=$work/started-from
    rm -rf "$elsewhere" && mkdir -p "$elsewhere"
    (cd "$elsewhere" && exec timeout 120 wine "$exe" >>"$work/wine.log" 2>&1) &
    app=$!
    pids+=("$app")
    closed=no
    for i in $(seq 240); do
        if ! kill -0 "$app" 2>/dev/null; then closed=yes; break; fi
        wine taskkill /im configurator.exe >/dev/null 2>&1 || true
        sleep 0.25
    done
    rc=0
    wait "$app" || rc=$?
    lines=$(tr -d '\r' <"$dir/settings.txt" | grep -c . || true)
    # Typed with CRLF above, and saved with CRLF: Notepad shows it as before.
    crlf_lines=$(grep -c $'\r$' "$dir/settings.txt" || true)
    if [ "$closed" = yes ] && [ "$rc" -eq 0 ] && [ "$lines" -eq 8 ] && [ "$crlf_lines" -eq 8 ] \
        && [ "$(head -n 1 "$dir/settings.txt" | tr -d '\r')" = COM12 ] \
        && [ -z "$(ls -A "$elsewhere")" ]; then
        log "ok   package: $(basename "$zip") ($(du -k "$zip" | cut -f1) KiB) starts, closes and saves its settings"
        passed=$((passed + 1))
    else
        log "FAIL package: closed=$closed exit=$rc, left in the folder it was started from: $(ls -A "$elsewhere" | tr '\n' ' ')"
        log "settings.txt after it:"
        cat "$dir/settings.txt" >&2 || true
        failed_programs+=(package)
        failed=$((failed + 1))
    fi
    log "package check in $(( $(date +%s) - t )) s"
fi

# 4. The collector in a Russian command prompt: Wine gives a ru_RU session
# the console code page 866, as Windows does. Its words reach the terminal
# as the console shows them, not as UTF-8 bytes read in code page 866.
t=$(date +%s)
collect_exe=$(find "$work/package" -name configurator-collect.exe 2>/dev/null | head -n 1 || true)
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8' && [ "$(id -u)" = 0 ]; then
    localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 2>/dev/null || true
fi
if [ -z "$collect_exe" ]; then
    log "skip the collector's console: no package"
    skipped=$((skipped + 1))
elif ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; then
    log "skip the collector's console: no ru_RU.UTF-8 locale (Debian package locales, then localedef)"
    skipped=$((skipped + 1))
else
    console=$work/console
    rm -rf "$console" && mkdir -p "$console"
    # script(1) gives Wine a terminal: its console, not a pipe.
    (cd "$console" && LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout 120 script -qec \
        "wine cmd /c chcp; wine '$collect_exe' нет.json --once --journal j.sqlite" "$console/typescript" \
        >/dev/null 2>&1) || true
    shown=$(tr -d '\r' <"$console/typescript" | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g')
    if grep -q 'кодовая страница: 866' <<<"$shown" && grep -qx 'нет.json: файл не найден' <<<"$shown"; then
        log "ok   configurator-collect.exe speaks Russian in a code page 866 console"
        passed=$((passed + 1))
    else
        log "FAIL configurator-collect.exe in a code page 866 console showed:"
        printf '%s\n' "$shown" | head -n 8 >&2
        failed_programs+=("collector console")
        failed=$((failed + 1))
    fi
fi
log "console check in $(( $(date +%s) - t )) s"

log "done in $(( $(date +%s) - t_start )) s"
if [ ${#failed_programs[@]} -gt 0 ]; then
    log "failed: ${failed_programs[*]}"
fi
echo "windows: $passed passed, $failed failed, $skipped skipped"
[ ${#failed_programs[@]} -eq 0 ]
