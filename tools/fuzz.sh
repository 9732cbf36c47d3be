#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang and runs each for a while:
#   tools/fuzz.sh [SECONDS] [BUILD_DIR]     (default 60 s each, build-fuzz/)
# Every harness first replays its committed corpus (fuzz/corpus/<harness>/:
# seeds and inputs of past findings), then mutates. New inputs go to
# BUILD_DIR/corpus, a failing input to BUILD_DIR/artifacts; the repository's
# corpus is only read. Exits non-zero when any harness fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${2:-$root/build-fuzz}
cxx=${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++ || true)}
[ -n "$cxx" ] || { echo "fuzz: clang++ is not installed (tools/install-deps.sh)" >&2; exit 1; }

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx"
cmake --build "$build" -j"$(nproc)"

harnesses=(answer_check register_map archive_records port_settings model_table receive_path)
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One harness per core at a time (FUZZ_JOBS): each runs on one thread.
jobs=${FUZZ_JOBS:-$(nproc)}
run_harness() {
    local h=$1
    mkdir -p "$build/corpus/$h" "$build/artifacts"
    if "$build/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$build/artifacts/$h-" \
            "$build/corpus/$h" "$root/fuzz/corpus/$h" >"$build/$h.log" 2>&1; then
        echo ok >"$build/$h.result"
    else
        echo failed >"$build/$h.result"
    fi
}
running=0
for h in "${harnesses[@]}"; do
    echo "fuzz: $h for ${seconds}s"
    rm -f "$build/$h.result"
    run_harness "$h" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
failed=()
for h in "${harnesses[@]}"; do
    if [ "$(cat "$build/$h.result" 2>/dev/null)" != ok ]; then
        failed+=("$h")
        tail -n 60 "$build/$h.log" >&2
        echo "fuzz: $h FAILED; the input is in $build/artifacts/, the log in $build/$h.log" >&2
    else
        echo "fuzz: $h: $(grep -E '^(stat::number_of_executed_units|Done )' "$build/$h.log" | tr '\n' ' ')"
    fi
done
echo "fuzz: $(( ${#harnesses[@]} - ${#failed[@]} )) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
