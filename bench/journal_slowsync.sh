#!/usr/bin/env bash
# The journal's cost to a keystroke on an ordinary disk and on one whose every sync takes 200 ms
# (the slowsync shim, preloaded). Posting must cost the same on both; only writing the journal on
# the calling thread shows the slow disk.
#
# Usage: bench/journal_slowsync.sh [BUILD]   (default build; configured with -DNOTERRA_BENCH=ON)
#        extra arguments after BUILD go to the benchmark, e.g. --benchmark_repetitions=5
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
cmake --build "$build" --parallel 2 --target bench_journal noterra_slowsync >/dev/null

echo "== ordinary disk"
"$build/bench/bench_journal" "$@"
echo "== every sync takes 200 ms"
LD_PRELOAD="$build/bench/libnoterra_slowsync.so" "$build/bench/bench_journal" "$@"
