#!/usr/bin/env bash
# The list window with the real program on a virtual X server, on a fixed day (15 March 2026)
# whose title list is empty. The portable folder holds a month whose entries were begun out of
# day order: the 12th, the 4th (two entries), the 20th, the 9th. BtnList opens "一覧"; a click on
# the day header sorts the rows by day number, so the first row is the 4th's; a click on that row
# shows the 4th in the main window. There the first title is deleted and BtnEnd saves: the file
# is the one written before, less the 4th's first entry, byte for byte. In document order, in a
# day sort of the digits as text ("12" < "20" < "4") or in the title sort the first row is
# another day, and another entry would go.
#
# Usage: listwindow.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 55 "$1" "$2" Xvfb xdotool xwininfo import openbox wmctrl iconv od cmp md5sum timeout
printf 'x' | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || skip "iconv has no CP932 converter (package libc6)"

today="2026-03-15 12:00:00"
month_file=Diary20263.xml
declaration='<?xml version="1.0" encoding="Shift_JIS"?>'
# The month as the program writes it. The title that starts with a digit comes first in a title
# sort; the 12th comes first in document order and in a day sort of the digits as text.
month_before='<DIARY><ARTICLE DATE="12"><TEXT>twelfth</TEXT></ARTICLE>'
month_before+='<ARTICLE DATE="4"><TEXT>fourth-a</TEXT><TEXT>fourth-b</TEXT></ARTICLE>'
month_before+='<ARTICLE DATE="20"><TEXT>twentieth</TEXT></ARTICLE>'
month_before+='<ARTICLE DATE="9"><TEXT>9時に歯医者</TEXT></ARTICLE></DIARY>'
month_after=${month_before/<TEXT>fourth-a<\/TEXT>/}

# Client-area rectangles (left top width height) of the list window: the header's day section,
# the first row under a header of up to 23 pixels (17 here; it depends on the font), the rows,
# the client area.
control+=(
    [ListArticle.DayHeader]="2 10 49 14"
    [ListArticle.Row0]="2 27 260 10"
    [ListArticle.Rows]="2 27 300 140"
    [ListForm]="0 0 305 218"
)

write_month()
{
    { printf '%s\n%s\n' "$declaration" "$1"; } | LC_ALL=C.UTF-8 iconv -f UTF-8 -t CP932 >"$2" ||
        fail "iconv could not write $2"
}

list_window()
{
    kill -0 "$app" 2>/dev/null || fail "the program ended before the list appeared: $(cat "$work/noterra.log")"
    list=$(xdotool search --onlyvisible --name '^一覧$' 2>/dev/null | head -n1)
    [ -n "$list" ]
}
# The list window's rectangles lie on the list window.
origin_of()
{
    case $1 in
    ListArticle.* | ListForm) echo "$list_left $list_top" ;;
    *) echo "$left $top" ;;
    esac
}
client_size() { xwininfo -id "$1" | awk -F: '/Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 } END { print w "x" h }'; }

# Opens the list and puts it in the screen's top-left corner, where it covers only the main
# window's frame and the top of BtnList.
open_list()
{
    click BtnList
    wait_for 5 "BtnList mapped no window titled 一覧" list_window
    wait_for 5 "the list window was not activated" window_active "$list"
    local size
    size=$(client_size "$list")
    [ "$size" = 305x218 ] || fail "the list's client area is $size, expected 305x218"
    timeout 5 xdotool windowmove "$list" 0 0
    wait_for 5 "the list window did not move to the top-left corner" list_moved
    previous=
    wait_for 8 "the list window did not settle" settled ListForm
    local bottom=$((list_top + 218)) right=$((list_left + 305))
    [ $bottom -le $((top + 40)) ] || [ $right -le "$left" ] ||
        fail "the list (bottom ${bottom}) still covers the main window below its client line 40 (top ${top})"
}
list_moved()
{
    read -r list_left list_top < <(client_origin "$list")
    [ "$list_left" -lt 50 ] && [ "$list_top" -lt 50 ]
}

hex() { od -An -tx1 "$@" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
titles_in()
{
    LC_ALL=C.UTF-8 iconv -f CP932 -t UTF-8 "$1" 2>/dev/null | grep -o '<TEXT>[^<]*' | sed 's/<TEXT>//' | paste -sd, -
}

prepare_portable
write_month "$month_before" "$portable/$month_file"
write_month "$month_after" "$work/expected.xml"

start_display
start_program
empty_titles=$(region ListTitle)
open_list
shot 1-list-opened.png
click_and_watch ListArticle.DayHeader ListArticle.Rows \
    "a click on the day header did not reorder the rows (screen: $shots/1-list-opened.png)"
previous=
wait_for 5 "the sorted rows did not settle" settled ListArticle.Rows
shot 2-list-sorted.png
click_and_watch ListArticle.Row0 ListArticle.Row0 \
    "a click on the first row did not select it (screen: $shots/2-list-sorted.png)"
wait_for 5 "the first row's day shows no titles in the main window" region_changed ListTitle "$empty_titles"
previous=
wait_for 5 "the main window's titles did not settle" settled ListTitle
shot 3-row-clicked.png
click_and_watch TitleRow0 TxtText "a click on the first title did not open it (screen: $shots/3-row-clicked.png)"
click_and_watch BtnDel ListTitle "BtnDel removed no title (screen: $shots/3-row-clicked.png)"
save_and_end 4-title-deleted.png

cmp -s "$work/expected.xml" "$portable/$month_file" ||
    fail "the saved month holds the titles [$(titles_in "$portable/$month_file")], expected" \
        "[$(titles_in "$work/expected.xml")] (the 4th's first entry deleted, the rest as it was); bytes:" \
        "$(hex "$portable/$month_file")"

echo "PASS: the day sort put the 4th first and its row showed the 4th's titles; screenshots in $shots"
