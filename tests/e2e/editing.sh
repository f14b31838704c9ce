#!/usr/bin/env bash
# Editing with the real program on a virtual X server, in an empty portable folder, on a fixed
# day (15 March 2026). A first run takes a new entry of Japanese and ASCII text over two lines,
# typed as real key events, and saves it with BtnEnd: the month file holds it in Shift_JIS with
# the line break stored as backslash-n. A second run shows the title, opens the entry from the
# title list, leaves the editor and saves: the file stays the same byte for byte. A third run
# adds a second entry, which the file holds after the first, and the first version stays as .bak.
# A fourth run adds to the first entry and closes the window with its close box: the question
# comes; Return and Esc (キャンセル) keep the window, and 保管せずにおわる at the next close ends the
# program with the file as it was, byte for byte. A fifth run makes the same addition and answers
# 保管しておわり: the file holds it. A sixth run only tabs from the calendar into the title list, which
# highlights no title, and presses 削除: nothing is deleted. A seventh, on a day of twelve entries, edits the first, turns the wheel over
# the list to its end, clicks the last title and deletes it: the write-back on leaving the editor
# does not move the list, so the last entry goes and the edit stays.
#
# Usage: editing.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
begin_script 80 "$1" "$2" Xvfb xdotool xwininfo xmodmap import openbox wmctrl iconv od cmp md5sum timeout
printf 'x' | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || skip "iconv has no CP932 converter (package libc6)"

# The fixed day and what the program must make of it.
today="2026-03-15 12:00:00"
month_file=Diary20263.xml
declaration='<?xml version="1.0" encoding="Shift_JIS"?>'
# The first line of the first entry ends in 表, whose second byte in Shift_JIS is a backslash; in
# the second entry ソ (second byte a backslash) stands before an n, so its bytes hold those of a
# stored line break. A codec that works on bytes instead of characters breaks either.
first_entry=$'今日の予定表\nTea & cake at 3'
second_entry=$'二件目ソnata\n1<2'

# The characters of the texts that are not ASCII, each once.
wide_characters()
{
    local LC_ALL=C.UTF-8 text="$*" i c seen=""
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [[ $c == [[:ascii:]] || $seen == *"$c"* ]] && continue
        seen+=$c
        printf 'U%04X\n' "'$c"
    done
}

# xdotool types a character that the keymap lacks through a key it remaps for a moment, and the
# program reads its keymap too late to see it; so every such character gets a key of its own
# before the program starts. Xvfb drops a keymap change made before its first XTEST key event
# (which brings in the XTEST keyboard's own map), so a harmless key goes first.
bind_characters()
{
    local keysyms spare changes=() i
    mapfile -t keysyms < <(wide_characters "$@")
    mapfile -t spare < <(xmodmap -pke | awk '$1 == "keycode" && NF == 3 && $2 > 8 { print $2 }')
    [ ${#spare[@]} -ge ${#keysyms[@]} ] || fail "only ${#spare[@]} free keycodes for ${#keysyms[@]} characters"
    for i in "${!keysyms[@]}"; do
        changes+=(-e "keycode ${spare[i]} = ${keysyms[i]}")
    done
    timeout 5 xdotool key Shift_L
    xmodmap "${changes[@]}" || fail "xmodmap refused the key bindings"
    local map
    map=$(xmodmap -pke)
    for i in "${keysyms[@]}"; do
        grep -q " $i\$\| $i " <<<"$map" || fail "the keymap did not take $i"
    done
}

# Types the text as key events: ASCII through xdotool type, a line break as Return and every
# other character as the key bound to it.
type_text()
{
    local LC_ALL=C.UTF-8 text=$1 i c ascii=""
    for ((i = 0; i <= ${#text}; i++)); do
        c=${text:i:1}
        if [[ -n $c && $c != $'\n' && $c == [[:ascii:]] ]]; then
            ascii+=$c
            continue
        fi
        [ -z "$ascii" ] || timeout 5 xdotool type --delay 20 -- "$ascii"
        ascii=""
        if [ "$c" = $'\n' ]; then
            timeout 5 xdotool key Return
        elif [ -n "$c" ]; then
            timeout 5 xdotool key "$(printf 'U%04X' "'$c")"
        fi
    done
}

# Clicks at a point of the window's client area.
click_at() { timeout 5 xdotool mousemove "$((left + $1))" "$((top + $2))" click 1; }

# BtnNew adds the placeholder title to the list; the editor takes the typing.
add_entry()
{
    click_and_watch BtnNew ListTitle "BtnNew added no title to the list"
    type_text "$1"
}

# Opens the first entry from the title list and puts the cursor after its last character.
open_first_entry()
{
    click_and_watch TitleRow0 TxtText "a click on the title did not open the entry in the editor"
    click TxtText
    timeout 5 xdotool key ctrl+End
}

# Closes the window through the window manager, as its close box does, and waits for the question
# about unsaved work.
close_with_question()
{
    timeout 5 wmctrl -i -c "$window"
    wait_for 10 "closing with unsaved work asked no question" question_shown
    shot "$1"
}
question_shown()
{
    question=$(LC_ALL=C.UTF-8 xdotool search --onlyvisible --name '^確認$' 2>/dev/null | head -n1)
    [ -n "$question" ]
}
question_gone() { ! question_shown; }

# Answers the question from the keyboard: Return and Escape both choose キャンセル, which has the
# focus first; the other two buttons stand before it in the platform's order.
answer()
{
    case $1 in
        Return | Escape) timeout 5 xdotool key "$1" ;;
        discard) timeout 5 xdotool key shift+Tab space ;;
        save) timeout 5 xdotool key shift+Tab shift+Tab space ;;
    esac
}

# キャンセル, by the given key, takes the question away and leaves the window and the file alone.
cancel_with()
{
    answer "$1"
    wait_for 5 "$1 did not take the question away" question_gone
    sleep 1
    main_window || fail "$1 at the question did not keep the window"
    cmp -s "$work/third.xml" "$portable/$month_file" || fail "$1 at the question changed the file"
}


# The stored form of an entry as it stands in the file: line breaks as backslash-n, XML escapes,
# Shift_JIS (code page 932) bytes.
stored_bytes()
{
    local text=$1
    printf '%s' "${text//$'\n'/\\n}" | sed 's/&/\&amp;/g; s/</\&lt;/g' | iconv -f UTF-8 -t CP932
}
hex() { printf '%s' "$1" | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# The folder holds the program, the month file and at most its previous version (.bak) and the
# diary's id (.noterra.id) only; the month file holds the declaration, then the given entries in
# that order as the day's only ARTICLE, without a raw line break anywhere.
check_month_file()
{
    local written path=$portable/$month_file
    written=$(cd "$portable" && find . -mindepth 1 ! -name noterra ! -name "$month_file.bak" ! -name .noterra.id | sed 's|^\./||')
    [ "$written" = "$month_file" ] || fail "the folder holds '${written//$'\n'/, }' instead of $month_file"

    local content first body
    content=$(cat "$path"; printf x)
    content=${content%x}
    first=${content%%$'\n'*}
    [ "$first" = "$declaration" ] || fail "the first line is '$first', expected '$declaration'"
    body=${content#*$'\n'}
    body=${body%$'\n'}
    [[ $body != *[$'\r\n']* ]] || fail "a raw line break stands in the document after the declaration: $(hex "$body")"

    local entry entries="" actual
    for entry in "$@"; do
        entries+="<TEXT>$(stored_bytes "$entry")</TEXT>"
    done
    actual=${body#*<ARTICLE DATE=\"15\">}
    actual=${actual%</ARTICLE>*}
    [ "$actual" = "$entries" ] ||
        fail "the entries of the 15th are stored as [$(hex "$actual")], expected [$(hex "$entries")]"
    [ "$body" = "<DIARY><ARTICLE DATE=\"15\">$entries</ARTICLE></DIARY>" ] ||
        fail "the document is '$body', expected one DIARY holding the 15th's ARTICLE only"
}

prepare_portable

start_display
bind_characters "$first_entry" "$second_entry"

start_program
empty_row=$(region TitleRow0)
add_entry "$first_entry"
save_and_end first-typed.png
check_month_file "$first_entry"
cp "$portable/$month_file" "$work/first.xml"

start_program
shot second-start.png
region_changed TitleRow0 "$empty_row" || fail "the second run shows no title (screen: $shots/second-start.png)"
click_and_watch TitleRow0 TxtText "a click on the title did not open the entry in the editor"
click TxtText
save_and_end second-opened.png
cmp -s "$work/first.xml" "$portable/$month_file" ||
    fail "opening and leaving the entry changed the file: $(hex "$(cat "$portable/$month_file")")"
[ ! -e "$portable/$month_file.bak" ] || fail "saves that changed nothing left a previous version"

start_program
add_entry "$second_entry"
save_and_end third-typed.png
check_month_file "$first_entry" "$second_entry"
cmp -s "$work/first.xml" "$portable/$month_file.bak" || fail "the previous version is not kept as $month_file.bak"

cp "$portable/$month_file" "$work/third.xml"
start_program
open_first_entry
type_text " more"
close_with_question fourth-question.png
cancel_with Return
close_with_question fourth-question-again.png
cancel_with Escape
close_with_question fourth-question-third-time.png
answer discard
program_ends "the program did not end after 保管せずにおわる"
cmp -s "$work/third.xml" "$portable/$month_file" ||
    fail "保管せずにおわる changed the file: $(hex "$(cat "$portable/$month_file")")"

start_program
open_first_entry
type_text " more"
close_with_question fifth-question.png
answer save
program_ends "the program did not end after 保管しておわり"
check_month_file "$first_entry more" "$second_entry"


start_program
cp "$portable/$month_file" "$work/before-tab.xml"
titles=$(region ListTitle)
timeout 5 xdotool key Tab
wait_for 5 "Tab from the calendar did not reach the title list" region_changed ListTitle "$titles"
click BtnDel
save_and_end sixth-tabbed.png
cmp -s "$work/before-tab.xml" "$portable/$month_file" ||
    fail "削除 after Tab deleted an entry no one chose: $(hex "$(cat "$portable/$month_file")")"

twelve=
for entry in 01 02 03 04 05 06 07 08 09 10 11 12; do
    twelve+="<TEXT>entry$entry</TEXT>"
done
printf '%s\n<DIARY><ARTICLE DATE="15">%s</ARTICLE></DIARY>\n' "$declaration" "$twelve" >"$portable/$month_file"
expected=${twelve/entry01/entry01x}
expected=${expected%<TEXT>entry12</TEXT>}
printf '%s\n<DIARY><ARTICLE DATE="15">%s</ARTICLE></DIARY>\n' "$declaration" "$expected" >"$work/expected.xml"
start_program
editor=$(region TxtText)
click_at 80 224
wait_for 5 "a click on the first title did not open it" region_changed TxtText "$editor"
click TxtText
timeout 5 xdotool key ctrl+End type x
titles=$(region ListTitle)
timeout 5 xdotool mousemove "$((left + 80))" "$((top + 260))" click --repeat 12 --delay 20 5
wait_for 5 "the wheel did not scroll the title list" region_changed ListTitle "$titles"
previous=
wait_for 5 "the title list did not settle after the wheel" settled ListTitle
editor=$(region TxtText)
click_at 80 296
wait_for 5 "a click on the last title did not open it" region_changed TxtText "$editor"
titles=$(region ListTitle)
click BtnDel
wait_for 5 "BtnDel removed no title" region_changed ListTitle "$titles"
save_and_end seventh-deleted.png
cmp -s "$work/expected.xml" "$portable/$month_file" ||
    fail "the day holds [$(grep -o 'entry[0-9x]*' "$portable/$month_file" | paste -sd, -)], expected the" \
        "first entry edited and the twelfth deleted (screen before saving: $shots/seventh-deleted.png)"

echo "PASS: $month_file holds both entries in Shift_JIS, the close box asks before unsaved work is lost, 削除 took only chosen titles; screenshots in $shots"
