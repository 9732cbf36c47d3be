#!/usr/bin/env bash
# Builds everything with AddressSanitizer, LeakSanitizer and UBSan and runs the
# whole test suite under them: tools/test-sanitized.sh [BUILD_DIR]
# Any report fails the test that caused it. Options already set in the
# environment win over the ones below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-asan}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMETER_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"

# Full malloc stacks: Qt has no frame pointers, and the suppressions need to see
# the system library that allocated.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0:check_initialization_order=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
cd "$build"
# One test at a time, as tools/test.sh runs them: the end-to-end tests make and
# drop pty pairs, and side by side one test's vanished pty number can be taken
# by another's before the first has looked.
ctest --output-on-failure --timeout 600
