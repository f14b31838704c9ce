#!/usr/bin/env bash
# The diary's folder with the real program on a virtual X server, on a fixed day (15 March 2026).
# The folder is named in Shift_JIS bytes, as disks written on Windows name them, and holds the
# month already: 保管しておわり writes that month, read from there, back into that folder and
# nowhere else. A second program started on the folder while the first runs brings the first one's
# window back to the front and ends, also once the folder's lock was deleted; one that cannot reach
# the first says so in a message box and, once the box is closed, ends with a failure status,
# neither touching a file. A program that ends leaves a lock that is not its own where it is. A
# program killed with SIGKILL leaves its lock behind, and the next start takes the lock over, as it
# does an empty lock that a power cut left and, with a notice, the lock of a program on another
# computer. A program that cannot tell its folder (no /proc, in a mount namespace of its own) says
# so and ends without touching a file.
#
# Usage: diaryfolder.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 150 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl cmp

work=$(mktemp -d)
program_log=$work/noterra.log
mkdir -p "$shots"
rm -f "$shots"/*.png
# 日記 (diary) in Shift_JIS: no valid UTF-8.
folder=$work/$'\x93\xfa\x8b\x4c'
mkdir "$folder"
cp "$program" "$folder/noterra"
month_file=Diary20263.xml
# A kept entry and a blank one: 新規 makes the month one to save, and the save drops the blank
# entries, so the file written tells that it was read from the folder and written back there.
printf '<?xml version="1.0" encoding="Shift_JIS"?>\r\n<DIARY><ARTICLE DATE="15"><TEXT>kept</TEXT><TEXT> </TEXT></ARTICLE></DIARY>\r\n' \
    >"$folder/$month_file"
cp "$folder/$month_file" "$work/original.xml"
saved='<?xml version="1.0" encoding="Shift_JIS"?>
<DIARY><ARTICLE DATE="15"><TEXT>kept</TEXT></ARTICLE></DIARY>'
# A program that lost its folder wrote the month at the file system's root.
at_root() { stat -c '%i %s %Y' "/$month_file" 2>/dev/null; }
root_before=$(at_root)

unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
start_display

start_program()
{
    LD_PRELOAD=$faketime_lib FAKETIME="@2026-03-15 12:00:00" FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 \
        QT_QPA_PLATFORM=xcb "$folder/noterra" >>"$program_log" 2>&1 &
    app=$!
    started+=("$app")
}
# Sets window to a mapped window of program $1 whose title matches $2.
window_of()
{
    window=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n1)
    [ -n "$window" ] && return 0
    kill -0 "$1" 2>/dev/null || fail "program $1 ended before a window titled $2 appeared"
    return 1
}
ended() { ! kill -0 "$1" 2>/dev/null; }
closed_by_box() { ended "$app" || { timeout 5 wmctrl -i -c "$(printf '0x%x' "$window")" 2>/dev/null; sleep 0.2; ended "$app"; }; }
window_hidden() { ! xwininfo -id "$1" | grep -q IsViewable; }
# Waits for program $1 to end and sets status to its exit status.
reap()
{
    wait_for 10 "program $1 did not end" ended "$1"
    wait "$1"
    status=$?
    local i
    for i in "${!started[@]}"; do
        [ "${started[i]}" = "$1" ] && unset 'started[i]'
    done
}
# The diary's id, made with the first journal of unsaved work, may or may not be there.
entries() { (cd "$folder" && find . -mindepth 1 ! -name .noterra.id | sort | tr '\n' ' '); }
lock_holder() { head -n1 "$folder/.noterra.lock" 2>/dev/null; }
# The inner shell expands "$0", the command to run, once /proc is hidden.
# shellcheck disable=SC2016
hide_proc=(unshare --mount sh -c 'mount -t tmpfs none /proc && exec "$0"')

if "${hide_proc[@]}" true 2>/dev/null; then
    QT_QPA_PLATFORM=xcb "${hide_proc[@]}" "$folder/noterra" >>"$program_log" 2>&1 &
    app=$!
    started+=("$app")
    wait_for 30 "a program without /proc showed no message box" window_of "$app" '^Noterra - '
    import -window root "$shots/unknown-folder.png" 2>/dev/null
    wmctrl -i -c "$(printf '0x%x' "$window")"
    reap "$app"
    [ $status -ne 0 ] || fail "a program that could not tell its folder ended with status 0"
    [ "$(entries)" = "./$month_file ./noterra " ] || fail "a program without its folder changed it: $(entries)"
    cmp -s "$work/original.xml" "$folder/$month_file" || fail "a program without its folder changed $month_file"
    unknown_folder="a program without its folder was stopped"
else
    unknown_folder="not tested: no folder-less start, since this machine lets no test hide /proc (unshare --mount as root)"
fi

start_program
first=$app
wait_for 30 "the first program mapped no main window" window_of "$first" '^Noterra$'
first_window=$window
[ "$(lock_holder)" = "$first" ] || fail "the folder's lock does not name the first program: $(entries)"
before_second=$(entries)

# A second start on the folder brings the first program's window back from the task bar and ends.
xdotool windowminimize "$first_window"
wait_for 5 "the first window was not minimized" window_hidden "$first_window"
start_program
second=$app
reap "$second"
[ $status -eq 0 ] || fail "the second program that handed over to the first ended with status $status"
wait_for 5 "the second start did not bring the first window to the front" window_active "$first_window"
[ "$(entries)" = "$before_second" ] || fail "the second program changed the folder: $before_second -> $(entries)"
[ "$(lock_holder)" = "$first" ] || fail "the second program took the lock of the first"

# One that cannot reach the first (another runtime folder) says so and ends without touching a file.
XDG_RUNTIME_DIR=$work start_program
second=$app
wait_for 30 "the second program showed no message box" window_of "$second" '^Noterra - '
import -window root "$shots/already-open.png" 2>/dev/null
xdotool search --all --onlyvisible --pid "$second" --name '^Noterra$' >/dev/null 2>&1 &&
    fail "the second program opened a main window as well (screen: $shots/already-open.png)"
wmctrl -i -c "$(printf '0x%x' "$window")"
reap "$second"
[ $status -ne 0 ] || fail "the second program ended with status 0 after refusing the folder"
[ "$(entries)" = "$before_second" ] || fail "the second program changed the folder: $before_second -> $(entries)"
cmp -s "$work/original.xml" "$folder/$month_file" || fail "the second program changed $month_file"
[ "$(lock_holder)" = "$first" ] || fail "the second program took the lock of the first"

# The folder's lock deleted by hand, or by a sync tool carrying another computer's end here, does
# not free the diary: a second start still brings the first window to the front.
rm "$folder/.noterra.lock"
xdotool windowminimize "$first_window"
wait_for 5 "the first window was not minimized" window_hidden "$first_window"
start_program
second=$app
reap "$second"
[ $status -eq 0 ] || fail "the second program after the lock was deleted ended with status $status"
wait_for 5 "the second start after the lock was deleted did not bring the first window to the front" \
    window_active "$first_window"
# The first program never deletes a lock that is not its own, such as one a sync tool brought.
other_lock=$'4242\nnoterra\nanother-computer.example'
printf '%s\n' "$other_lock" >"$folder/.noterra.lock"

import -window root "$shots/first-window.png" 2>/dev/null
# A window just brought back from the task bar takes clicks once it is painted where it stands.
app=$first
read -r left top < <(client_origin "$first_window")
previous=
wait_for 8 "the first window did not settle" settled Client
click BtnNew
click BtnEnd
reap "$first"
[ $status -eq 0 ] || fail "the first program ended with status $status after saving: $(cat "$program_log")"
[ "$(cat "$folder/$month_file")" = "$saved" ] ||
    fail "the folder's $month_file after saving is '$(cat "$folder/$month_file")', expected '$saved'"
[ "$(at_root)" = "$root_before" ] || fail "the program wrote /$month_file"
[ "$(cat "$folder/.noterra.lock" 2>/dev/null)" = "$other_lock" ] || fail "the first program removed another's lock"
rm "$folder/.noterra.lock"
# The save changed the month, so the file it replaced stays beside it as the previous version.
[ "$(entries)" = "./$month_file ./$month_file.bak ./noterra " ] || fail "after the first program the folder holds $(entries)"
cmp -s "$work/original.xml" "$folder/$month_file.bak" || fail "the previous version is not the month as it was"

start_program
killed=$app
wait_for 30 "the program to be killed mapped no main window" window_of "$killed" '^Noterra$'
kill -KILL "$killed"
reap "$killed"
[ "$(lock_holder)" = "$killed" ] || fail "the killed program left no lock behind: $(entries)"

# The program just started took the lock over, opened the diary and ends through its close box.
took_over()
{
    wait_for 30 "the start after $1 mapped no main window" window_of "$app" '^Noterra$'
    [ "$(lock_holder)" = "${3-$app}" ] || fail "the start after $1 did not take the lock over"
    import -window root "$shots/after-$2.png" 2>/dev/null
    # A close asked for before the window manager has taken the window on goes nowhere: asked again.
    wait_for 10 "the start after $1 did not end at its close box" closed_by_box
    reap "$app"
    [ $status -eq 0 ] || fail "the program ended with status $status: $(cat "$program_log")"
    [ "$(entries)" = "./$month_file ./$month_file.bak ./noterra " ] ||
        fail "after the start after $1 the folder holds $(entries)"
}
start_program
took_over "a killed program" kill
# A power cut just after a start can leave the lock empty.
: >"$folder/.noterra.lock"
touch -d '-1 hour' "$folder/.noterra.lock"
start_program
took_over "a power cut" power-cut
# A sync tool brought the lock of a program on another computer: the diary opens, with a notice.
printf '4242\nnoterra\nanother-computer.example\n' >"$folder/.noterra.lock"
start_program
# The notice (お知らせ) is the program's one window whose title does not start with Noterra.
wait_for 30 "the start over another computer's lock showed no notice" window_of "$app" '^[^N]'
wmctrl -i -c "$(printf '0x%x' "$window")"
took_over "another computer's lock" another-computer

# A sign whose process number now belongs to another program of that name does not keep the diary
# closed: one from before the last restart, or one whose executable, and so its diary, is elsewhere.
mkdir "$work/elsewhere"
cp "$(command -v sleep)" "$work/elsewhere/noterra"
cp "$(command -v sleep)" "$folder/sleeper"
for holder in "$folder/sleeper:another-boot" "$work/elsewhere/noterra:$(cat /proc/sys/kernel/random/boot_id)"; do
    "${holder%:*}" 600 &
    started+=("$!")
    printf '%s\n%s\n%s\n\n%s\n' "$!" "${holder%:*}" "$(hostname)" "${holder##*:}" | sed '2s|.*/||' >"$folder/.noterra.lock"
    start_program
    wait_for 30 "the start over the stale sign of ${holder%:*} mapped no main window" window_of "$app" '^Noterra$'
    rm -f "$folder/sleeper"
    took_over "the stale sign of ${holder%:*}" stale-sign
done
# A folder the program may only read opens, and the program writes nothing into it.
read_only="not tested: a read-only folder, since this machine lets no test make one (unshare --mount as root)"
if unshare --mount true 2>/dev/null; then
    # shellcheck disable=SC2016 # the inner shell expands its own arguments
    QT_QPA_PLATFORM=xcb unshare --mount sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && exec "$0"' \
        "$folder/noterra" "$folder" >>"$program_log" 2>&1 &
    app=$!
    started+=("$app")
    took_over "a read-only folder" read-only ""
    read_only="a read-only folder opened"
fi

echo "PASS: the month in a Shift_JIS-named folder was saved there; a second program brought the first to the front, also once its lock was deleted, or was refused; the first left a lock not its own; the locks of a killed program, of a power cut, of another computer and of a number another program now has were taken over; $read_only; $unknown_folder; screenshots in $shots"
