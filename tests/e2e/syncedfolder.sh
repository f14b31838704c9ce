#!/usr/bin/env bash
# A diary folder kept in sync with another computer, on a fixed day (15 March 2026). While the
# program runs, another program brings its version of the month, renamed over the month file as
# sync tools write, or written in place with its size and time stamp put back. Without unsaved
# work, the window shows the other version, says that the entries it showed were rewritten and keeps
# them as a conflict copy, and 保管しておわり leaves the other version byte for byte.
# With an entry typed on the 15th, where the other side changed the entry that was there,
# 保管しておわり saves both sides' entries, each side's change in place, and keeps no copy beside.
#
# Usage: syncedfolder.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 150 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl cmp

today="2026-03-15 12:00:00"
month_file=Diary20263.xml
# The other version changes both days and keeps the size, so that only the bytes tell it apart.
base='<?xml version="1.0" encoding="Shift_JIS"?>
<DIARY><ARTICLE DATE="3"><TEXT>base</TEXT></ARTICLE><ARTICLE DATE="15"><TEXT>kept</TEXT></ARTICLE></DIARY>'
there=${base/base/edit}
there=${there/kept/KEPT}
merged=${there/<TEXT>KEPT<\/TEXT>/<TEXT>KEPT</TEXT><TEXT>mine</TEXT>}

# The other program writes its version of the month ($1: rename or in-place).
write_there()
{
    local path=$portable/$month_file
    if [ "$1" = rename ]; then
        cp "$work/there.xml" "$path.sync.tmp" && mv "$path.sync.tmp" "$path"
    else
        touch -r "$path" "$work/stamp"
        cat "$work/there.xml" >"$path"
        touch -r "$work/stamp" "$path"
    fi
}
besides() { (cd "$portable" && find . -name 'Diary*' ! -name "$month_file" | sort | tr '\n' ' '); }
window_hidden() { ! xwininfo -id "$window" | grep -q IsViewable; }

# $1: how the other version comes; $2: what is typed here first, if anything.
run()
{
    rm -f "$portable"/Diary*
    printf '%s\n' "$base" >"$portable/$month_file"
    touch -d '-1 day' "$portable/$month_file"
    start_program
    local shown
    shown=$(region ListTitle)
    if [ -n "${2:-}" ]; then
        click_and_watch BtnNew ListTitle "BtnNew added no title to the list"
        timeout 5 xdotool type --delay 20 "$2"
    fi
    write_there "$1"
    if [ -z "${2:-}" ]; then
        wait_for 10 "following the other version ($1) showed no notice" notice_shown
        wait_for 5 "the notice did not close ($1)" notice_closed
        [ "$(region ListTitle)" != "$shown" ] || fail "the window did not show the other version ($1)"
        save_and_end "$1-untouched.png"
        cmp -s "$work/there.xml" "$portable/$month_file" || fail "保管しておわり changed the other version ($1)"
        local kept
        kept=$(compgen -G "$portable/$month_file.conflict-*")
        [[ -n $kept && $kept != *$'\n'* && $(besides) == "./$(basename "$kept") " ]] ||
            fail "following the other version ($1) did not keep the window's one copy: $(besides)"
        grep -q '<TEXT>base</TEXT>.*<TEXT>kept</TEXT>' "$kept" || fail "the copy ($1) holds $(cat "$kept")"
        return
    fi
    click BtnEnd
    program_ends "the program did not end after saving over the other version ($1)"
    [ "$(cat "$portable/$month_file")" = "$merged" ] || fail "the month merged ($1) is '$(cat "$portable/$month_file")'"
    ! compgen -G "$portable/$month_file.conflict-*" >/dev/null || fail "a conflict copy for a clean merge ($1): $(besides)"
}

prepare_portable
start_display
printf '%s\n' "$there" >"$work/there.xml"
for way in rename in-place; do
    run $way
    run $way mine
done

echo "PASS: another program's version, renamed over the month or written in place with its time stamp kept, was shown on activation and left as it was, or merged entry by entry without a conflict copy; screenshots in $shots"
