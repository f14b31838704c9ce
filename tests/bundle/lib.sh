# shellcheck shell=bash
# shellcheck disable=SC2154 # app, left, top and work come from tests/e2e/lib.sh
# What the tests of the carried folder (scripts/bundle.sh) share, on top of tests/e2e/lib.sh: a
# start that types an entry and saves it into the folder beside the program.

# shellcheck source-path=SCRIPTDIR source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" || exit 1

# Starts the program with the given command, which must exec it (so that its pid is the
# program's), and checks on its window: the folder's own Qt and no other, the input method's
# plugin of the folder and the folder's font where (and only where) the desktop has no Japanese
# font. Then types an entry and saves it with BtnEnd; the month file beside the program holds it.
# Usage: start_type_and_save NAME FOLDER_HERE IM_PLUGIN FONT_USED(yes|no) COMMAND...
start_type_and_save()
{
    local name=$1 here=$2 plugin=$3 font=$4 text maps used
    shift 4
    text="carried $RANDOM"
    "$@" >>"$work/noterra.log" 2>&1 &
    app=$!
    started+=("$app")
    take_main_window
    maps=$(cat "/proc/$app/maps")
    grep -q "/plugins/platforminputcontexts/$plugin" <<<"$maps" || fail "the input method plugin $plugin is not loaded"
    grep 'libQt6' <<<"$maps" | grep -qv "/Noterra/lib/libQt6" && fail "a Qt library from outside the folder is loaded"
    grep -q "/Noterra/fonts/ipagp.ttf" <<<"$maps" && used=yes || used=no
    [ "$used" = "$font" ] || fail "the folder's Japanese font is used: $used, expected $font"
    shot "$name.png"
    click_and_watch BtnNew ListTitle "新規 added no title to the list"
    timeout 5 xdotool type --delay 20 -- "$text"
    save_and_end
    grep -qs "$text" "$here"/Diary*.xml || fail "no month file beside the program in $here holds the entry"
    echo "saved into $(cd "$here" && ls Diary*.xml) beside the program in $here"
}
