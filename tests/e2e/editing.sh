#!/usr/bin/env bash
# Editing with the real program on a virtual X server, in an empty portable folder, on a fixed
# day (15 March 2026). A first run takes a new entry of Japanese and ASCII text over two lines,
# typed as real key events, and saves it with BtnEnd: the month file holds it in Shift_JIS with
# the line break stored as backslash-n. A second run shows the title, opens the entry from the
# title list, leaves the editor and saves: the file stays the same byte for byte. A third run
# adds a second entry, which the file holds after the first, and the first version stays as .bak.
#
# Usage: editing.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY
set -uo pipefail
# Month files are compared byte by byte; only the typing helpers read text as characters.
export LC_ALL=C

program=$1
shots=$2

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
failure_shot=$shots/failure.png
overall_deadline=$((SECONDS + 55))

require_tools Xvfb xdotool xwininfo xmodmap import openbox wmctrl iconv od cmp md5sum timeout
printf 'x' | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || skip "iconv has no CP932 converter (package libc6)"
[ -x "$program" ] || fail "no program at $program"

# The fixed day and what the program must make of it.
today="2026-03-15 12:00:00"
month_file=Diary20263.xml
declaration='<?xml version="1.0" encoding="Shift_JIS"?>'
# The first line of the first entry ends in 表, whose second byte in Shift_JIS is a backslash; in
# the second entry ソ (second byte a backslash) stands before an n, so its bytes hold those of a
# stored line break. A codec that works on bytes instead of characters breaks either.
first_entry=$'今日の予定表\nTea & cake at 3'
second_entry=$'二件目ソnata\n1<2'

# Client-area rectangles (left top width height) of the main window's controls, of the title
# list's first row and of the whole client area.
declare -A control=(
    [BtnNew]="16 320 73 20"
    [BtnEnd]="440 16 113 20"
    [ListTitle]="8 216 169 92"
    [TxtText]="200 48 353 289"
    [TitleRow0]="10 219 150 12"
    [Client]="0 0 565 353"
)

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

start_program()
{
    LD_PRELOAD=$faketime_lib FAKETIME="@$today" FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 QT_QPA_PLATFORM=xcb \
        LC_ALL=C.UTF-8 "$portable/noterra" >>"$work/noterra.log" 2>&1 &
    app=$!
    started+=("$app")
    wait_for 20 "no window titled Noterra was mapped within the time" main_window
    wait_for 5 "the window was not activated" window_active
    local geometry
    geometry=$(xwininfo -id "$window")
    left=$(awk -F: '/Absolute upper-left X/ { print $2 + 0 }' <<<"$geometry")
    top=$(awk -F: '/Absolute upper-left Y/ { print $2 + 0 }' <<<"$geometry")
    previous=
    wait_for 8 "the window did not settle" settled
}
window_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; }
# The client area looks the same twice in a row: the first paint is done.
settled()
{
    local now
    now=$(region Client)
    [ "$now" = "$previous" ] && return 0
    previous=$now
    return 1
}

# A digest of what the screen shows in the named rectangle of the window.
region()
{
    local x y w h
    read -r x y w h <<<"${control[$1]}"
    import -window root -crop "${w}x${h}+$((left + x))+$((top + y))" rgb:- 2>/dev/null | md5sum
}
region_changed() { [ "$(region "$1")" != "$2" ]; }

click_at() { timeout 5 xdotool mousemove "$((left + $1))" "$((top + $2))" click 1; }
click()
{
    local x y w h
    read -r x y w h <<<"${control[$1]}"
    click_at $((x + w / 2)) $((y + h / 2))
}

# BtnNew adds the placeholder title to the list; the editor takes the typing.
add_entry()
{
    local before
    before=$(region ListTitle)
    click BtnNew
    wait_for 5 "BtnNew added no title to the list" region_changed ListTitle "$before"
    type_text "$1"
}

save_and_end()
{
    local shot=$1
    import -window root "$shots/$shot" 2>/dev/null
    click BtnEnd
    wait_for 10 "the program did not end after BtnEnd (screen before the click: $shots/$shot)" app_ended
    wait "$app"
    local status=$?
    unset 'started[-1]'
    [ $status -eq 0 ] || fail "the program ended with status $status: $(cat "$work/noterra.log")"
}
app_ended() { ! kill -0 "$app" 2>/dev/null; }

# The stored form of an entry as it stands in the file: line breaks as backslash-n, XML escapes,
# Shift_JIS (code page 932) bytes.
stored_bytes()
{
    local text=$1
    printf '%s' "${text//$'\n'/\\n}" | sed 's/&/\&amp;/g; s/</\&lt;/g' | iconv -f UTF-8 -t CP932
}
hex() { printf '%s' "$1" | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# The folder holds the program, the month file and at most its previous version (.bak) only; the
# month file holds the declaration, then the
# given entries in that order as the day's only ARTICLE, without a raw line break anywhere.
check_month_file()
{
    local written path=$portable/$month_file
    written=$(cd "$portable" && find . -mindepth 1 ! -name noterra ! -name "$month_file.bak" | sed 's|^\./||')
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

work=$(mktemp -d)
mkdir -p "$shots"
rm -f "$shots"/*.png
portable=$work/portable
mkdir "$portable"
cp "$program" "$portable/noterra"
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE QT_IM_MODULE XMODIFIERS

start_display
bind_characters "$first_entry" "$second_entry"

start_program
empty_row=$(region TitleRow0)
add_entry "$first_entry"
save_and_end first-typed.png
check_month_file "$first_entry"
cp "$portable/$month_file" "$work/first.xml"

start_program
import -window root "$shots/second-start.png" 2>/dev/null
region_changed TitleRow0 "$empty_row" || fail "the second run shows no title (screen: $shots/second-start.png)"
editor=$(region TxtText)
click_at 80 225
wait_for 5 "a click on the title did not open the entry in the editor" region_changed TxtText "$editor"
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

echo "PASS: $month_file holds both entries in Shift_JIS; screenshots in $shots"
