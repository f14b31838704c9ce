#!/usr/bin/env bash
# A diary folder kept in sync with another computer, with the real program on a virtual X server on
# a fixed day (15 March 2026). While the program runs, another program brings its version of the
# month: once renamed over the month file, as sync tools write, and once written into it in place
# with its size and time stamp put back. Without unsaved work, activating the window again shows
# the other version and 保管しておわり leaves that file byte for byte. With an entry typed here on
# the 15th, which the other side changed as well, 保管しておわり saves the other side's 3rd and this
# side's 15th, keeps the other version beside the month as .conflict-… and says so in a notice.
#
# Usage: syncedfolder.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 150 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl cmp

today="2026-03-15 12:00:00"
month_file=Diary20263.xml
declaration='<?xml version="1.0" encoding="Shift_JIS"?>'
# The other version changes both days and keeps the size, so that only the bytes tell it apart.
base="$declaration
<DIARY><ARTICLE DATE=\"3\"><TEXT>base</TEXT></ARTICLE><ARTICLE DATE=\"15\"><TEXT>kept</TEXT></ARTICLE></DIARY>"
there=${base/base/edit}
there=${there/kept/KEPT}
merged=${there/<TEXT>KEPT<\/TEXT>/<TEXT>kept</TEXT><TEXT>mine</TEXT>}

# A folder holding the program and the month as this side last saw it, a day old.
fresh_month()
{
    rm -f "$portable"/Diary*
    printf '%s\n' "$base" >"$portable/$month_file"
    touch -d '-1 day' "$portable/$month_file"
    printf '%s\n' "$there" >"$work/there.xml"
}

# The other program writes its version of the month, by the given way.
write_there()
{
    local path=$portable/$month_file
    case $1 in
        rename)
            cp "$work/there.xml" "$portable/.syncthing.$month_file.tmp"
            mv "$portable/.syncthing.$month_file.tmp" "$path"
            ;;
        in-place)
            touch -r "$path" "$work/stamp"
            [ "$(stat -c %s "$path")" = "$(stat -c %s "$work/there.xml")" ] || fail "the two versions differ in size"
            cat "$work/there.xml" >"$path"
            touch -r "$work/stamp" "$path"
            ;;
    esac
}

# The month's files in the folder besides the month itself, by name.
besides() { (cd "$portable" && find . -name 'Diary*' ! -name "$month_file" | sed 's|^\./||' | sort | tr '\n' ' '); }

window_hidden() { ! xwininfo -id "$window" | grep -q IsViewable; }

# Nothing unsaved here: the window follows the other version once it is activated again, and the
# save point leaves the other program's file as it is.
untouched_run()
{
    fresh_month
    start_program
    local shown
    shown=$(region ListTitle)
    write_there "$1"
    timeout 5 xdotool windowminimize "$window"
    wait_for 5 "the window was not minimized" window_hidden
    # Qt takes a focus that comes back within a moment for no change of the active window.
    sleep 0.5
    timeout 5 wmctrl -i -a "$window"
    wait_for 5 "the window was not activated again" window_active "$window"
    previous=
    wait_for 5 "the window did not settle after its activation ($1)" settled ListTitle
    [ "$previous" != "$shown" ] || fail "activating the window again did not show the other version ($1)"
    save_and_end "$1-untouched.png"
    cmp -s "$work/there.xml" "$portable/$month_file" ||
        fail "保管しておわり without unsaved work changed the other version ($1): $(cat "$portable/$month_file")"
    [ -z "$(besides)" ] || fail "保管しておわり without unsaved work left $(besides)($1)"
}

# An entry typed on the 15th, which the other side changed too: both sides' work is kept.
unsaved_run()
{
    fresh_month
    start_program
    click_and_watch BtnNew ListTitle "BtnNew added no title to the list"
    timeout 5 xdotool type --delay 20 mine
    write_there "$1"
    shot "$1-typed.png"
    click BtnEnd
    wait_for 10 "saving over the other version showed no notice ($1)" notice_shown
    shot "$1-notice.png"
    wait_for 5 "the notice did not close ($1)" notice_closed
    program_ends "the program did not end after the notice ($1)"
    [ "$(cat "$portable/$month_file")" = "$merged" ] ||
        fail "the month saved over the other version ($1) is '$(cat "$portable/$month_file")', expected '$merged'"
    local copies
    copies=$(compgen -G "$portable/$month_file.conflict-20260315-*")
    [[ -n $copies && $copies != *$'\n'* ]] || fail "not one conflict copy ($1): $(besides)"
    cmp -s "$work/there.xml" "$copies" || fail "the conflict copy ($1) is not the other version: $(cat "$copies")"
}

prepare_portable
start_display
for way in rename in-place; do
    untouched_run $way
    unsaved_run $way
done

echo "PASS: another program's version, renamed over the month or written in place with its time stamp kept, was shown on activation and left as it was, or merged by day with a conflict copy and a notice; screenshots in $shots"
