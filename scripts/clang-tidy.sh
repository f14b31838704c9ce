#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the project's own sources (src/, tests/,
# bench/), as the Clang build at $1 compiles them, on $2 files at a time. Any finding fails.
set -euo pipefail

tree=$1
jobs=${2:-$(nproc)}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runner=
for candidate in run-clang-tidy run-clang-tidy-14 run-clang-tidy.py; do
    command -v "$candidate" >/dev/null && { runner=$candidate; break; }
done
[ -n "$runner" ] || { echo "run-clang-tidy is missing: install the Debian package clang-tidy." >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$runner" -quiet -p "$tree" -j "$jobs" "^$root/(src|tests|bench)/" >"$log" 2>&1 || status=$?
# The runner prints every command line; the findings are what is worth reading.
grep -v -e '^clang-tidy' -e '^\[' -e 'warnings generated' -e 'Suppressed [0-9]* warnings' \
    -e 'Use -header-filter' -e 'NOLINT' -e '^Running clang-tidy' -e '^$' "$log" || true
[ "$status" -eq 0 ] && echo "clang-tidy: no findings in $(grep -c '"file"' "$tree/compile_commands.json") files"
exit "$status"
