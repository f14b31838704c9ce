#!/usr/bin/env bash
# The real program as a screen reader meets it: on a virtual X server with a session bus of its
# own and the accessibility bus, on a fixed day (15 March 2026) in a month with entries on the
# 4th and the 20th. accessibility.py listens on the bus, reads the tree and drives the program by
# the keyboard: the calendar's cells and headers, the selected date after arrow and page keys and
# after a click on a cell where the tree places it (from the events), the mark of a day with
# entries, the controls' names, and Return on a row of the list window moving the main window to
# that day.
#
# Usage: accessibility.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

program=$1
shots=$2

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
failure_shot=$shots/failure.png
program_log=
overall_deadline=$((SECONDS + 100))

require_tools Xvfb xdotool import openbox iconv dbus-run-session
# Debian's pyatspi is a package of the system's python, which a python of its own lacks.
python=/usr/bin/python3
[ -x $python ] || skip "$python is not installed"
$python -c 'import pyatspi' 2>/dev/null || skip "pyatspi is not installed (package python3-pyatspi)"
compgen -G '/usr/share/dbus-1/services/org.a11y.Bus.service' >/dev/null ||
    skip "the accessibility bus is not installed (package at-spi2-core)"
[ -x "$program" ] || fail "no program at $program"

# A session bus of its own, which ends with this script and takes the accessibility bus along.
# The accessibility bus puts its socket in the runtime folder under a fixed name, so a test beside
# this one would take it over: the folder is this test's own.
if [ -z "${NOTERRA_E2E_WORK:-}" ]; then
    work=$(mktemp -d)
    mkdir -m 700 "$work/runtime"
    NOTERRA_E2E_WORK=$work XDG_RUNTIME_DIR=$work/runtime exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@"
fi
work=$NOTERRA_E2E_WORK

today="2026-03-15 12:00:00"
month='<DIARY><ARTICLE DATE="20"><TEXT>twentieth</TEXT></ARTICLE><ARTICLE DATE="4"><TEXT>fourth</TEXT></ARTICLE></DIARY>'

mkdir -p "$shots"
rm -f "$shots"/*.png
portable=$work/portable
mkdir "$portable"
cp "$program" "$portable/noterra"
printf '<?xml version="1.0" encoding="Shift_JIS"?>\n%s\n' "$month" | iconv -f UTF-8 -t CP932 \
    >"$portable/Diary20263.xml" || fail "iconv could not write the month"
program_log=$work/noterra.log
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE QT_IM_MODULE XMODIFIERS

start_display
# Qt sends events only for what a listener registered, so the listener starts first. A call to a
# program that hangs waits long on the bus; the whole run stays within the test's time.
timeout 110 $python "$(dirname "${BASH_SOURCE[0]}")/accessibility.py" "$work/listening" "$shots" &
driver=$!
started+=("$driver")
driver_listening()
{
    kill -0 "$driver" 2>/dev/null || fail "accessibility.py ended before it listened"
    [ -e "$work/listening" ]
}
wait_for 30 "accessibility.py did not start listening" driver_listening

# Only the clock is faked: with faked file times fontconfig takes its caches for stale.
LD_PRELOAD=$faketime_lib FAKETIME="@$today" FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 QT_QPA_PLATFORM=xcb \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8 "$portable/noterra" >>"$program_log" 2>&1 &
app=$!
started+=("$app")

wait "$driver"
status=$?
import -window root "$shots/end.png" 2>/dev/null
[ $status -eq 0 ] || fail "accessibility.py ended with status $status"
kill -0 "$app" 2>/dev/null || fail "the program ended during the test"
echo "PASS: screenshot of the end in $shots/end.png"
