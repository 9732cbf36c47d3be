#!/usr/bin/env bash
# Formats the C++ sources with .clang-format: tools/format.sh [--check]
# With --check nothing is changed; a file that is not formatted fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
format=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$format" ] || { echo "format: clang-format is not installed (tools/install-deps.sh)" >&2; exit 1; }
cd "$root"
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | grep -v '^third_party/')
if [ "${1:-}" = "--check" ]; then
    "$format" --dry-run -Werror "${files[@]}"
    echo "format: ${#files[@]} files formatted as .clang-format says"
else
    "$format" -i "${files[@]}"
fi
