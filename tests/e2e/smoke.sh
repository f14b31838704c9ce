#!/usr/bin/env bash
# Smoke test of the real program on a virtual X server. The executable alone, copied into an
# empty folder, starts on a fixed day; its window "Noterra" maps with a 565 x 353 client area
# that shows the sky picture and carries the window icon; closing the window through the
# window manager ends the program without writing any file.
#
# Usage: smoke.sh NOTERRA_EXECUTABLE SCREENSHOT_PNG BACKGROUND_PNG
set -uo pipefail

program=$1
screenshot=$2
background=$3

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
failure_shot=$screenshot
# No overall deadline: the waits' budgets add up to well under the test's time limit.

require_tools Xvfb xdotool xwininfo xprop import convert openbox wmctrl
[ -x "$program" ] || fail "no program at $program"

work=$(mktemp -d)
program_log=$work/noterra.log
start_display
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

portable=$work/portable
mkdir "$portable"
cp "$program" "$portable/noterra"
# The clock is faked, file times are not: fontconfig compares font folders' times with its
# caches, and faked times would make it rescan every font and rewrite the caches on each run.
LD_PRELOAD=$faketime_lib FAKETIME="@2026-03-15 12:00:00" FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 QT_QPA_PLATFORM=xcb \
    "$portable/noterra" >"$work/noterra.log" 2>&1 &
app=$!
started+=("$app")
wait_for 20 "no window titled Noterra was mapped within the time" main_window

geometry=$(xwininfo -id "$window")
field() { awk -F: -v name="$1" '$1 ~ name { gsub(/ /, "", $2); print $2 }' <<<"$geometry"; }
size="$(field 'Width')x$(field 'Height')"
[ "$size" = 565x353 ] || fail "client area is $size, expected 565x353"
left=$(field 'Absolute upper-left X')
top=$(field 'Absolute upper-left Y')

icons=$(xprop -id "$window" _NET_WM_ICON)
for icon_size in '32 x 32' '16 x 16'; do
    grep -q "Icon ($icon_size)" <<<"$icons" || fail "the window has no $icon_size icon"
done

# Where no control stands the picture shows unscaled from the client area's top-left corner,
# so those pixels of the screen equal the picture's. Painting may lag the mapping a little.
spots=("2 2" "190 200" "560 350")
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
background_shows()
{
    import -window root "$screenshot" 2>/dev/null || return 1
    local spot x y
    for spot in "${spots[@]}"; do
        read -r x y <<<"$spot"
        [ "$(pixel "$screenshot" $((left + x)) $((top + y)))" = "$(pixel "$background" "$x" "$y")" ] || return 1
    done
}
mkdir -p "$(dirname "$screenshot")"
wait_for 8 "the background picture does not show at client pixels ${spots[*]} (screenshot: $screenshot)" background_shows

wmctrl -i -c "$(printf '0x%x' "$window")"
program_ends "the program did not end after its window was closed"

written=$(find "$portable" -mindepth 1 ! -name noterra)
[ -z "$written" ] || fail "closing the window without saving wrote: $written"

echo "PASS: window mapped at ${left},${top} with client area $size; screenshot in $screenshot"
