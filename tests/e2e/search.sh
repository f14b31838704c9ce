#!/usr/bin/env bash
# The search window with the real program on a virtual X server, on 15 March 2026, over a diary
# of several years: July 2024 has an entry written in full-width letters, and beside the months
# lie a .bak of a newer month and a month file that cannot be read, which both hold the word too.
# BtnNew starts an entry of the 15th and "xyzzy plugh" is typed; unsaved, it is found by Ctrl+F
# and "PLUGH" in a search window that keeps clear of the editor, and Return opens it with the word
# selected and the main window active, so that "Z" typed at once replaces it. Ctrl+F again and the
# half-width "abc" finds July 2024's entry; Return takes the main window there (saving March) with
# "ＡＢＣ" selected, which "Q" replaces. Esc closes the search window and BtnEnd saves:
# both months hold the replaced words, so each Return opened the right entry with the first match
# selected; a .bak or the unreadable file read as a month would have come first.
#
# Usage: search.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 80 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl iconv md5sum timeout
printf 'x' | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || skip "iconv has no CP932 converter (package libc6)"

today="2026-03-15 12:00:00"
control+=([SearchForm]="0 0 440 384")
origin_of()
{
    case $1 in
    SearchForm) echo "$search_left $search_top" ;;
    *) echo "$left $top" ;;
    esac
}

write_month()
{
    { printf '<?xml version="1.0" encoding="Shift_JIS"?>\n<DIARY>%s</DIARY>\n' "$1"; } |
        LC_ALL=C.UTF-8 iconv -f UTF-8 -t CP932 >"$portable/$2" || fail "iconv could not write $2"
}
month_text() { LC_ALL=C.UTF-8 iconv -f CP932 -t UTF-8 "$portable/$1"; }

search_window()
{
    check_running
    search=$(xdotool search --onlyvisible --name '^検索$' 2>/dev/null | head -n1)
    [ -n "$search" ]
}
# Ctrl+F, then the window active with its field focused; the words typed replace those there.
find_words()
{
    timeout 5 xdotool key ctrl+f
    wait_for 5 "Ctrl+F mapped no window titled 検索" search_window
    wait_for 5 "the search window was not activated" window_active "$search"
    read -r search_left search_top < <(client_origin "$search")
    editor_clear || fail "the search window at $search_left,$search_top covers the editor"
    local before
    before=$(region SearchForm)
    timeout 5 xdotool type --delay 30 -- "$1"
    wait_for 5 "no results appeared for $1" region_changed SearchForm "$before"
    previous=
    wait_for 5 "the results for $1 did not settle" settled SearchForm
}
# Whether the search window's client area and the main window's editor do not overlap.
editor_clear()
{
    local x y width height
    read -r x y width height <<<"${control[TxtText]}"
    ((search_left >= left + x + width || left + x >= search_left + 440 ||
        search_top >= top + y + height || top + y >= search_top + 384))
}
# Return opens the current result, and the main window comes forward to be typed into.
open_and_replace()
{
    local before
    before=$(region Client)
    timeout 5 xdotool key Return
    wait_for 10 "Return did not open the result in the main window" region_changed Client "$before"
    wait_for 5 "opening the result did not activate the main window" window_active "$window"
    timeout 5 xdotool type --delay 30 -- "$1"
}

prepare_portable
write_month '<ARTICLE DATE="10"><TEXT>晴れ</TEXT></ARTICLE>' Diary20263.xml
write_month '<ARTICLE DATE="7"><TEXT>七夕\nＡＢＣ食堂でラーメン</TEXT></ARTICLE>' Diary20247.xml
write_month '<ARTICLE DATE="3"><TEXT>雪の日</TEXT></ARTICLE>' Diary202012.xml
write_month '<ARTICLE DATE="1"><TEXT>abc xyzzy plugh</TEXT></ARTICLE>' Diary202512.xml.bak
printf '<DIARY><ARTICLE DATE="1"><TEXT>abc xyzzy plugh' >"$portable/Diary20259.xml"

start_display
start_program
# On this 1024-pixel screen the two windows fit side by side once the main window is at the left.
timeout 5 xdotool windowmove "$window" 0 0
wait_for 5 "the main window was not moved" eval '[ "$(client_origin "$window")" != "$left $top" ]'
read -r left top < <(client_origin "$window")
click BtnNew
timeout 5 xdotool type --delay 30 -- "xyzzy plugh"
find_words PLUGH
shot 1-unsaved-found.png
open_and_replace Z
find_words abc
shot 2-full-width-found.png
open_and_replace Q
timeout 5 wmctrl -i -a "$search"
wait_for 5 "the search window was not activated again" window_active "$search"
timeout 5 xdotool key Escape
wait_for 5 "Esc did not close the search window" eval '! search_window'
save_and_end 3-saved.png

month_text Diary20263.xml | grep -q '<ARTICLE DATE="15"><TEXT>xyzzy Z</TEXT>' ||
    fail "March 2026 holds no 'xyzzy Z' on the 15th: $(month_text Diary20263.xml)"
month_text Diary20247.xml | grep -q '<TEXT>七夕\\nQ食堂でラーメン</TEXT>' ||
    fail "July 2024 holds no 'Q食堂でラーメン': $(month_text Diary20247.xml)"

echo "PASS: unsaved words and a full-width entry of another year were found and opened; screenshots in $shots"
