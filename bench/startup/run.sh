#!/usr/bin/env bash
# Start-up benchmark: how long the diary takes from exec until its main window is mapped and
# painted, beside a bare Qt window of the same size measured in the same run, and the peak
# memory of each. A third program, the bare window with one Japanese label, shows how much of
# the difference is loading a CJK font. Runs alternate between the programs on a private Xvfb
# without a window manager; the first runs of each only warm the caches and are not counted.
# NOTERRA_COMPARE names another build of the diary (an earlier commit's, say), measured in the
# same runs: timings on one machine drift by milliseconds, so only a same-run comparison shows
# what a change gained. It may also name a carried folder made by scripts/bundle.sh.
#
# Usage: bench/startup/run.sh [RUNS]   (default 25; environment: NOTERRA_BENCH_BUILD, JOBS,
#        NOTERRA_COMPARE)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-25}
warmup=3
build=${NOTERRA_BENCH_BUILD:-$root/build-bench}
jobs=${JOBS:-$(nproc)}

source "$root/scripts/packages.sh"
noterra_ensure_packages "${NOTERRA_BUILD_PACKAGES[@]}" "${NOTERRA_RUNTIME_PACKAGES[@]}" xvfb libx11-dev

mkdir -p "$build"
{
    cmake -S "$root" -B "$build/app" -DCMAKE_BUILD_TYPE=Release -DNOTERRA_TESTS=OFF -DNOTERRA_BENCH=OFF
    cmake --build "$build/app" --parallel "$jobs" --target noterra
    cmake -S "$here" -B "$build/startup" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build/startup" --parallel "$jobs"
} >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

work=$(mktemp -d)
xvfb=
cleanup()
{
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do
    grep -q '^[0-9]' "$work/display" 2>/dev/null && break
    sleep 0.1
done
grep -q '^[0-9]' "$work/display" || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

# The diary starts as a fresh install would: alone in an empty folder.
mkdir "$work/portable"
cp "$build/app/src/noterra" "$work/portable/noterra"
probe=$build/startup/startup_probe

names=(bare bare+label noterra)
if [ -n "${NOTERRA_COMPARE:-}" ]; then
    mkdir "$work/compared-build"
    # A carried folder (scripts/bundle.sh) is measured whole, with its own libraries.
    if [ -d "$NOTERRA_COMPARE" ]; then
        cp -r "$NOTERRA_COMPARE/." "$work/compared-build/"
    else
        cp "$NOTERRA_COMPARE" "$work/compared-build/noterra"
    fi
    names+=(compare)
fi
measure() # name title program [arguments]
{
    local name=$1
    shift
    "$probe" "$@" >>"$work/$name"
}
measure_named()
{
    case $1 in
    bare) measure bare Bare "$build/startup/bare_window" ;;
    bare+label) measure bare+label Bare "$build/startup/bare_window" --japanese-label ;;
    noterra) measure noterra Noterra "$work/portable/noterra" ;;
    compare) measure compare Noterra "$work/compared-build/noterra" ;;
    esac
}
for ((i = 0; i < warmup + runs; i++)); do
    if [ $i -eq $warmup ]; then
        for name in "${names[@]}"; do : >"$work/$name"; done
    fi
    # Every other round runs the programs in reverse order: in one order the program started
    # after another always finds what that one left warm, and the comparison leans by milliseconds.
    for ((j = 0; j < ${#names[@]}; j++)); do
        measure_named "${names[i % 2 ? ${#names[@]} - 1 - j : j]}"
    done
done

# column file -> median of that column
median() { sort -n -k"$1" "$2" | awk -v c="$1" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minmax() { sort -n -k"$1" "$2" | awk -v c="$1" 'NR == 1 { lo = $c } { hi = $c } END { printf "%s-%s", lo, hi }'; }

echo "Start-up on Xvfb, $runs runs each (after $warmup warm-up runs), milliseconds from exec; median (range)"
printf '%-11s %22s %22s %16s\n' program "window mapped" "first painted" "max RSS (MiB)"
for name in "${names[@]}"; do
    rss=$(median 3 "$work/$name")
    printf '%-11s %10s (%s) %10s (%s) %16.1f\n' "$name" "$(median 1 "$work/$name")" "$(minmax 1 "$work/$name")" \
        "$(median 2 "$work/$name")" "$(minmax 2 "$work/$name")" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')"
done
floors=(bare bare+label)
[ -z "${NOTERRA_COMPARE:-}" ] || floors+=(compare)
for floor in "${floors[@]}"; do
    awk -v f="$floor" -v n="$(median 2 "$work/noterra")" -v b="$(median 2 "$work/$floor")" \
        -v rn="$(median 3 "$work/noterra")" -v rb="$(median 3 "$work/$floor")" \
        'BEGIN { printf "noterra / %s: first painted %.2f x, max RSS %+.1f MiB\n", f, n / b, (rn - rb) / 1024 }'
done
