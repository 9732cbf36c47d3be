#!/usr/bin/env bash
# Checks the meter stand-in against an independent Modbus RTU master (mbpoll)
# over a socat pty pair: reads, a single write and a multiple write.
# Usage: mbpoll_check.sh [METER_SIM]   (exit 77: tools missing, test skipped)
set -u

sim=${1:-${METER_SIM:-}}
for tool in mbpoll socat; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
if [ -z "$sim" ] || [ ! -x "$sim" ]; then
    echo "FAIL: no meter_sim binary given ('$sim')"
    exit 1
fi

work=$(mktemp -d)
socat_pid=
cleanup() {
    [ -n "${SIM_PID:-}" ] && kill "$SIM_PID" 2>/dev/null
    [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- stand-in log"
    cat "$work/sim.log" 2>/dev/null
    exit 1
}

# Waits up to ten seconds for a condition.
wait_until() {
    local i
    for i in $(seq 100); do
        if eval "$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

socat pty,raw,echo=0,link="$work/program" pty,raw,echo=0,link="$work/meter" 2>"$work/socat.log" &
socat_pid=$!
wait_until '[ -e "$work/program" ] && [ -e "$work/meter" ]' || fail "socat made no pty pair"
port=$work/program

coproc SIM { exec "$sim" --port "$work/meter" 2>"$work/sim.log"; }
read -r -t 20 first <&"${SIM[0]}" || fail "meter_sim did not start"
[ "$first" = ready ] || fail "meter_sim said '$first' instead of ready"

# One control command, one reply line.
control() {
    echo "$1" >&"${SIM[1]}"
    local reply
    read -r -t 10 reply <&"${SIM[0]}" || fail "no reply to '$1'"
    echo "$reply"
}

poll() {
    mbpoll -m rtu -a 1 -b 9600 -P none -0 -t 4 -1 -o 2 "$@" 2>&1
}

# Value mbpoll printed for one register, from lines like "[9]: 	3".
value_of() {
    sed -n "s/^\[$1\]:[[:space:]]*\(-\{0,1\}[0-9]\{1,\}\).*/\1/p"
}

passed=0
check() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
        passed=$((passed + 1))
    else
        fail "$1: got '$2', expected '$3'"
    fi
}

version=$(control "get 0x0009"); version=${version#ok }
out=$(poll -r 9 -c 1 "$port") || fail "read of register 9 failed: $out"
check "protocol version read" "$(echo "$out" | value_of 9)" "$version"

out=$(poll -r 4 -c 3 "$port") || fail "read of the serial number failed: $out"
check "serial number, low register first" \
    "$(echo "$out" | value_of 4) $(echo "$out" | value_of 5) $(echo "$out" | value_of 6)" \
    "$((0x78AB)) $((0x3456)) $((0x0012))"

out=$(poll -r 771 "$port" 17) || fail "single write failed: $out"
grep -q "^rx 01 06 03 03 00 11" "$work/sim.log" || fail "mbpoll did not write with function 06"
out=$(poll -r 771 -c 1 "$port") || fail "read back failed: $out"
check "save date written and read back" "$(echo "$out" | value_of 771)" 17
check "save date held by the meter" "$(control "get 0x0303")" "ok 17"

out=$(poll -r 4096 "$port" 1234 5) || fail "multiple write failed: $out"
grep -q "^rx 01 10 10 00 00 02 04 04 d2 00 05" "$work/sim.log" || fail "mbpoll did not write with function 10"
out=$(poll -r 4096 -c 2 "$port") || fail "clock read failed: $out"
check "clock written as two registers" "$(echo "$out" | value_of 4096) $(echo "$out" | value_of 4097)" "1234 5"
check "clock held by the meter" "$(control "get 0x1001")" "ok 5"

if out=$(poll -r 7 -c 1 "$port"); then
    fail "read of a missing register succeeded: $out"
fi
echo "$out" | grep -qi "illegal data address" || fail "no exception 2 for register 7: $out"
echo "ok: missing register answers exception 2"
passed=$((passed + 1))

check "requests counted" "$(control count)" "ok 7"

echo "$passed passed, 0 failed"
exit 0
