#!/usr/bin/env bash
# Builds and runs the test suite: tools/test.sh [BUILD_DIR] [5|6] [all|short]
#   all    (default) every test, and the benchmarks are built too
#   short  the tests labelled unit (every test outside tests/e2e) and
#          e2e_feature (one end-to-end run per feature); no benchmarks.
#          CI runs it with Qt 6; what it leaves out runs with Qt 5.
# The second argument picks the Qt major version (Qt 5 when both are installed
# and none is given; a build folder keeps the one it was configured with).
# Two tests run at a time (METER_TEST_JOBS): each pty pair has names of its
# own, the PostgreSQL tests hold a lock, and timing tests run alone
# (tests/CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
qt_option=()
case "${2:-}" in
    '') ;;
    5 | 6) qt_option=(-DQT_VERSION_MAJOR="$2") ;;
    *) echo "test.sh: the Qt major version is 5 or 6, not '$2'" >&2; exit 2 ;;
esac
case "${3:-all}" in
    # The feature runs repeat functions of the whole end-to-end tests.
    all) benchmarks=ON; select=(-LE '^e2e_feature$') ;;
    short) benchmarks=OFF; select=(-L '^(unit|e2e_feature)$') ;;
    *) echo "test.sh: the set is all or short, not '$3'" >&2; exit 2 ;;
esac
t=$(date +%s)
# Line tables only (-g1), as tools/build.sh builds: a third less time than -g.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DMETER_BENCHMARKS=$benchmarks "${qt_option[@]}"
cmake --build "$build" -j"$(nproc)"
echo "test.sh: built in $(( $(date +%s) - t )) s"
t=$(date +%s)
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j"${METER_TEST_JOBS:-2}" "${select[@]}"
echo "test.sh: tests ran in $(( $(date +%s) - t )) s"
