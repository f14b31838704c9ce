#!/usr/bin/env bash
# The work between save points with the real program on a virtual X server, in one portable folder.
# Each round makes a new entry on 15 March 2026, types a sentence and ends the program without
# saving: SIGKILL after the pause that brings the journal up to date; SIGKILL again, with the next
# start on 2 May; SIGTERM at once, which the program answers by ending by itself, its lock let go;
# and the X server going away. The diary folder is left as it was, the journal holds the work, and
# the next start says so in a notice, shows the title and saves the sentence into the March file at
# 保管しておわり; the journal is gone then. A later start says nothing and a clean close leaves no
# journal.
#
# Usage: recovery.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 170 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl cmp stat

month_file=Diary20263.xml
prepare_portable
# A state folder of the run's own: a journal left by an earlier run must not count.
export XDG_STATE_HOME=$work/state
start_display

journals() { compgen -G "$XDG_STATE_HOME/noterra/*.journal"; }
journal_holds()
{
    local journal
    journal=$(journals | head -n1) && grep -qF -- "$1" "$journal"
}
# The diary's id comes with its first journal and stays; the folder is otherwise as it was.
entries() { (cd "$portable" && find . -mindepth 1 ! -name .noterra.id | sort | tr '\n' ' '); }
notice_painted() { [ "$(import -window "$notice" -format %k info: 2>/dev/null || echo 0)" -gt 20 ]; }
# How many colours the title list's row shows: a row without a title shows one or two.
row_colours()
{
    import -window root -crop "150x12+$((left + 10))+$((top + 219 + 12 * $1))" -format %k info: 2>/dev/null
}
# Waits for the program to end by itself or by a signal, and forgets it.
reap()
{
    wait_for 10 "$1" app_ended
    wait "$app" 2>/dev/null
    status=$?
    unset 'started[-1]'
}

# 新規 on the 15th and the sentence typed into the new entry; keeps the folder as it stands.
type_new_entry()
{
    today="2026-03-15 12:00:00"
    start_program
    click_and_watch BtnNew ListTitle "新規 added no title to the list"
    timeout 5 xdotool type --delay 20 -- "$1"
    shot "typed-${1// /-}.png"
    before=$(entries)
    [ ! -e "$portable/$month_file" ] || cp "$portable/$month_file" "$work/before.xml"
}
# The program ended without saving: the folder is as it was, and the journal, the user's alone, holds the work.
left_unsaved()
{
    [ "$(entries)" = "$before" ] || fail "ended by $1, the program changed the folder: $before -> $(entries)"
    [ ! -e "$work/before.xml" ] || cmp -s "$work/before.xml" "$portable/$month_file" ||
        fail "ended by $1, the program wrote $month_file"
    rm -f "$work/before.xml"
    [ -s "$portable/.noterra.id" ] || fail "ended by $1, the diary has no id of its own for its journal"
    local journal
    journal=$(journals) || fail "ended by $1, the program left no journal in $XDG_STATE_HOME/noterra"
    [ "$(stat -c %a "$journal" "$(dirname "$journal")" | paste -sd' ')" = "600 700" ] ||
        fail "the journal and its folder are not the user's alone: $(stat -c '%a %n' "$journal" "$(dirname "$journal")")"
}
# The next start on the given day brings the sentence back with a notice, and 保管しておわり saves it on the 15th.
restored()
{
    today=$2
    launch_program
    wait_for 20 "the start after $1 told nothing of the work brought back" notice_shown
    wait_for 5 "the notice was not painted" notice_painted
    shot "restored-after-$1.png"
    wait_for 5 "the notice did not close" notice_closed
    take_main_window
    local row
    row=$(grep -o '<TEXT>' "$portable/$month_file" 2>/dev/null | wc -l)
    [ "$(row_colours "$row")" -gt 4 ] || fail "after $1 the title list shows no title in row $row (screen: $shots/restored-after-$1.png)"
    save_and_end "saving-after-$1.png"
    [[ $(cat "$portable/$month_file") == *'<ARTICLE DATE="15">'*"<TEXT>$3</TEXT>"*'</ARTICLE>'* ]] ||
        fail "after $1 the 15th in $month_file does not hold '$3': $(cat "$portable/$month_file")"
    ! journals >/dev/null || fail "the journal stayed after the restored work was saved: $(journals)"
}

type_new_entry "Tea at the harbour"
wait_for 10 "10 s after the last key the journal did not hold the entry" journal_holds "Tea at the harbour"
kill -KILL "$app"
reap "SIGKILL did not end the program"
left_unsaved SIGKILL
! kill -0 "$(head -n1 "$portable/.noterra.lock")" 2>/dev/null || fail "the lock names a program alive"
restored kill "2026-03-15 12:00:00" "Tea at the harbour"

start_program
sleep 1
! notice_shown || fail "a start after a save showed a notice (screen: $(shot quiet.png; echo "$shots/quiet.png"))"
timeout 5 wmctrl -i -c "$window"
program_ends "a close with nothing unsaved did not end the program"
! journals >/dev/null || fail "a clean close left a journal: $(journals)"

type_new_entry "Rain over the bridge"
wait_for 10 "10 s after the last key the journal did not hold the entry" journal_holds "Rain over the bridge"
kill -KILL "$app"
reap "SIGKILL did not end the program"
left_unsaved "SIGKILL in March"
restored "another-month" "2026-05-02 09:00:00" "Rain over the bridge"
[ ! -e "$portable/Diary20265.xml" ] || fail "the start in May saved May, which it never showed"

type_new_entry "Letters from home"
kill -TERM "$app"
reap "the program did not end within 10 s of SIGTERM"
[ "$status" -eq 0 ] || fail "after SIGTERM the program ended with status $status: $(cat "$program_log")"
[ ! -e "$portable/.noterra.lock" ] || fail "after SIGTERM the lock stayed: $(entries)"
before=${before/.\/.noterra.lock /}
left_unsaved SIGTERM
restored term "2026-03-15 12:00:00" "Letters from home"

type_new_entry "Lights went out"
kill "$xvfb"
reap "the program did not end when its display went away"
echo "without its display the program ended with status $status: $(tail -n1 "$program_log")"
# Qt 6.4 ends through exit() and leaves the lock to the next start; newer versions end more gently.
rm -f "$portable/.noterra.lock"
before=${before/.\/.noterra.lock /}
left_unsaved "the display going away"
start_display
restored display "2026-03-15 12:00:00" "Lights went out"

echo "PASS: work typed and cut off by SIGKILL (in its month and a month later), SIGTERM and a lost display came back at the next start and was saved; screenshots in $shots"
