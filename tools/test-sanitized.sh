#!/usr/bin/env bash
# Builds everything with AddressSanitizer, LeakSanitizer and UBSan and runs the
# test suite under them: tools/test-sanitized.sh [BUILD_DIR]
# Any report fails the test that caused it. Options already set in the
# environment win over the ones below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-asan}
# -O1, as the sanitizers' own advice has it, and line tables only (-g1), all
# a report needs for its files and lines: half the build time of -O2 -g, and
# no finding lost. No benchmarks.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMETER_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DMETER_BENCHMARKS=OFF
t=$(date +%s)
cmake --build "$build" -j"$(nproc)"
echo "test-sanitized: built in $(( $(date +%s) - t )) s"

# Full malloc stacks: Qt has no frame pointers, and the suppressions need to see
# the system library that allocated.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0:check_initialization_order=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
cd "$build"
# Two at a time, as tools/test.sh runs them. Left out: the tests labelled
# timing, which only measure the line's timing (the sanitizers slow every
# step; they run in tools/test.sh), and the feature runs, which repeat
# functions of the whole end-to-end tests.
t=$(date +%s)
ctest --output-on-failure --timeout 600 -j"${METER_TEST_JOBS:-2}" -LE '^(timing|e2e_feature|rounds)$'
echo "test-sanitized: tests ran in $(( $(date +%s) - t )) s"
