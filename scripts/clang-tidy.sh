#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the program's own sources (src/), as the
# Clang build at $1 compiles them, $2 files at a time. Any finding fails.
set -uo pipefail

tree=$1
jobs=${2:-$(nproc)}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runner=
for candidate in run-clang-tidy run-clang-tidy-14; do
    command -v "$candidate" >/dev/null && { runner=$candidate; break; }
done
[ -n "$runner" ] || { echo "run-clang-tidy is missing: install the Debian package clang-tidy." >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$runner" -quiet -p "$tree" -j "$jobs" "^$root/src/" >"$log" 2>&1
status=$?
# The runner also prints each command it runs and clang-tidy's counts; the findings are what matter.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -e '^clang-tidy-\?[0-9]* ' -e '^\[[0-9]*/[0-9]*\]' -e 'warnings\? generated' \
    -e '^Suppressed [0-9]* warnings' -e '^Use -header-filter' -e 'treated as errors\?$' -e '^Running clang-tidy' -e '^$'
[ $status -eq 0 ] && echo "clang-tidy: no findings in the sources under $root/src"
exit $status
