#!/usr/bin/env bash
# Japanese typed through a real input method: the real program on a virtual X server with a
# session bus, the named framework (ibus or fcitx5) and its Mozc engine in hiragana mode, romaji
# typed as key events, on a fixed day (15 March 2026). The first entry is converted and
# committed with Return. Each of the next ones is left as an uncommitted conversion while the
# user goes elsewhere: to the first title, to another program's window (the entry's title shows
# at once), to another day, and to 保管しておわり. The month file holds 日記 once for every
# entry, in Shift_JIS: what the editor showed is what is stored, never lost, never twice.
#
# Mozc refuses to run as root, so as root the script runs a copy of itself, of lib.sh and of the
# program as an unprivileged system user that it creates when missing; the checkout may lie where
# that user cannot read, so the copies and the screenshots pass through a folder of its own.
#
# Usage: inputmethod.sh NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY ibus|fcitx5
set -uo pipefail
export LC_ALL=C

program=$1
shots=$2
framework=$3
session_user=noterra-e2e

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1
failure_shot=$shots/failure.png
overall_deadline=$((SECONDS + 100))

case $framework in
ibus) require_tools ibus-daemon ibus /usr/lib/ibus-mozc/ibus-engine-mozc ;;
fcitx5)
    require_tools fcitx5 fcitx5-remote dbus-send
    compgen -G '/usr/lib/*/fcitx5/fcitx5-mozc.so' >/dev/null || skip "fcitx5-mozc is not installed"
    ;;
*) fail "unknown input method framework '$framework'" ;;
esac
require_tools Xvfb xdotool xwininfo xmessage import openbox dbus-daemon iconv md5sum timeout setpriv pgrep /usr/lib/mozc/mozc_server
compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/lib${framework}platforminputcontextplugin.so" >/dev/null ||
    skip "Qt's $framework input context plugin is not installed"
[ -x "$program" ] || fail "no program at $program"

run_as_session_user()
{
    work=$(mktemp -d)
    # A test started beside this one may be making the user at the same time, holding the lock
    # on the user database for a moment.
    for _ in 1 2 3 4 5; do
        getent passwd "$session_user" >/dev/null && break
        useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            "$session_user" 2>"$work/useradd.log" && break
        sleep 1
    done
    getent passwd "$session_user" >/dev/null || fail "could not create the user $session_user: $(cat "$work/useradd.log")"
    if ! mkdir "$work/e2e" "$work/shots" ||
        ! cp "${BASH_SOURCE[0]}" "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$program" "$work/e2e/" ||
        ! chown -R "$session_user:" "$work"; then
        fail "could not prepare $work for $session_user"
    fi
    setpriv --reuid="$session_user" --regid="$session_user" --init-groups -- \
        bash "$work/e2e/$(basename "${BASH_SOURCE[0]}")" "$work/e2e/$(basename "$program")" "$work/shots" "$framework"
    local status=$?
    mkdir -p "$shots" && rm -f "$shots"/*.png && cp -R "$work/shots"/. "$shots"
    [ $status -eq 0 ] || echo "the screenshots of the session are in $shots"
    exit $status
}
[ "$(id -u)" -ne 0 ] || run_as_session_user

today="2026-03-15 12:00:00"
month_file=Diary20263.xml
converted=日記

# Client-area rectangles (left top width height) of the title list's third row and of the 16th
# in the calendar, beside the main window's of lib.sh.
control+=(
    [TitleRow2]="10 241 150 11"
    [Day16]="42 121 16 12"
)

# A home of its own: the frameworks and Mozc keep their settings and sockets there.
prepare_home()
{
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
        XDG_DATA_HOME=$work/home/.local/share XDG_STATE_HOME=$work/home/.local/state XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$XDG_CONFIG_HOME/mozc" "$XDG_CONFIG_HOME/fcitx5" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" ||
        fail "could not make the home in $work"
    mkdir -m 700 "$XDG_RUNTIME_DIR" || fail "could not make the runtime folder in $work"
    # Mozc starts in direct input unless told otherwise; a Japanese user switches it on first.
    cat >"$XDG_CONFIG_HOME/mozc/ibus_config.textproto" <<'CONFIG'
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
CONFIG
    # fcitx5 with Mozc as the only input method of its group uses it from the first key on.
    cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'CONFIG'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=mozc
Layout=

[GroupOrder]
0=Default
CONFIG
}

start_session_bus()
{
    dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=3 3>"$work/bus-address" \
        2>"$work/dbus.log" &
    started+=($!)
    wait_for 10 "the session bus did not start: $(cat "$work/dbus.log")" grep -qs unix: "$work/bus-address"
    DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus-address")
    export DBUS_SESSION_BUS_ADDRESS
}

start_ibus()
{
    ibus-daemon --panel=disable --emoji-extension=disable --config=disable --cache=none >"$work/im.log" 2>&1 &
    started+=($!)
    wait_for 20 "ibus-daemon did not start: $(cat "$work/im.log")" ibus_ready
    # The command reports a failure when it cannot set the engine's keyboard layout through
    # setxkbmap, which Xvfb's layout does not need; what counts is the engine that ibus took.
    ibus engine mozc-jp >>"$work/im.log" 2>&1
    [ "$(ibus engine 2>&1)" = mozc-jp ] || fail "ibus did not take the Mozc engine: $(cat "$work/im.log")"
    export QT_IM_MODULE=ibus
}
ibus_ready() { timeout 5 ibus list-engine 2>/dev/null | grep -q mozc-jp; }

start_fcitx5()
{
    fcitx5 --disable=classicui,kimpanel,notificationitem,clipboard,emoji,quickphrase,spell,unicode,wayland,waylandim \
        >"$work/im.log" 2>&1 &
    started+=($!)
    wait_for 20 "fcitx5 did not start: $(cat "$work/im.log")" fcitx5_ready
    export QT_IM_MODULE=fcitx
}
fcitx5_ready() { timeout 5 fcitx5-remote >/dev/null 2>&1; }
# fcitx5 learns of the editor's input context over the bus, after Qt has given the editor the
# focus: keys typed before fcitx5 holds that context focused, with Mozc as its input method,
# reach the editor as plain letters. Mozc, the group's only input method, starts in hiragana.
fcitx5_editor_ready()
{
    [ "$(timeout 5 fcitx5-remote -n 2>/dev/null)" = mozc ] &&
        timeout 5 dbus-send --session --print-reply --dest=org.fcitx.Fcitx5 /controller \
            org.fcitx.Fcitx.Controller1.DebugInfo 2>/dev/null | grep -q 'program:noterra .*focus:1'
}

# The editor looked the same in three looks in a row: the input method's answers to the keys
# so far are painted.
editor_settled()
{
    local now
    now=$(region TxtText)
    if [ "$now" = "$previous" ]; then
        same=$((same + 1))
    else
        previous=$now
        same=0
    fi
    [ $same -ge 2 ]
}
wait_settled()
{
    previous=
    same=0
    wait_for 20 "the editor did not settle $1" editor_settled
}
# Presses the keys and waits until the editor shows something else and has settled again.
keys_and_watch()
{
    local message=$1 before
    shift
    before=$(region TxtText)
    timeout 5 xdotool "$@"
    wait_for 20 "$message" region_changed TxtText "$before"
    wait_settled "after: xdotool $*"
}

# Another program's window takes the activation from the main window, which keeps the editor as
# its focus widget.
activate_other_window()
{
    xmessage -geometry +0+0 "another program" >/dev/null 2>&1 &
    started+=($!)
    wait_for 10 "the other window was not mapped" other_window
    timeout 5 xdotool windowactivate "$other" 2>/dev/null
    wait_for 10 "the other window did not take the activation" other_window_active
}
other_window() { other=$(xdotool search --onlyvisible --class '^Xmessage$' 2>/dev/null | head -n1) && [ -n "$other" ]; }
other_window_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$other" ]; }
# An empty row of the title list is one colour; a title adds the shades of its glyphs.
title_shown()
{
    local x y w h colours
    read -r x y w h <<<"${control[$1]}"
    colours=$(import -window root -crop "${w}x${h}+$((left + x))+$((top + y))" -format %k info: 2>/dev/null)
    [ "${colours:-0}" -gt 4 ]
}

# A new entry holding 日記 as a conversion not yet committed. The keys follow the click on 新規,
# which gives the editor the focus, in the X server's order.
convert_in_new_entry()
{
    click BtnNew
    [ "$framework" != fcitx5 ] ||
        wait_for 20 "fcitx5 did not take the editor's input with Mozc: $(cat "$work/im.log")" fcitx5_editor_ready
    keys_and_watch "the editor showed no conversion of the romaji typed" type --delay 80 "nikki "
    shot "$1"
}

# The month file holds the given days' entries, each of them 日記, and nothing else.
check_month_file()
{
    local day count entries body=""
    for day in "$@"; do
        read -r day count <<<"$day"
        entries=$(printf "<TEXT>$converted</TEXT>%.0s" $(seq "$count"))
        body+="<ARTICLE DATE=\"$day\">$entries</ARTICLE>"
    done
    local expected actual
    expected=$(printf '%s\n<DIARY>%s</DIARY>\n' '<?xml version="1.0" encoding="Shift_JIS"?>' "$body" | iconv -f UTF-8 -t CP932)
    actual=$(cat "$portable/$month_file" 2>/dev/null)
    [ "$actual" = "$expected" ] ||
        fail "$month_file holds '$(iconv -f CP932 -t UTF-8 <<<"$actual" 2>&1)', expected '$(iconv -f CP932 -t UTF-8 <<<"$expected")'"
}

# Mozc's server leaves its parent and would outlive the test; it is known by the home it runs in.
stop_session()
{
    local pid
    for pid in $(pgrep -u "$(id -u)" -x mozc_server); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "HOME=$HOME" && started+=("$pid")
    done
    stop_all
}
trap stop_session EXIT

prepare_portable

prepare_home
# The background processes open their logs later than the messages that quote them are made.
touch "$work/dbus.log" "$work/im.log"
start_display
start_session_bus
"start_$framework"
start_program

convert_in_new_entry committed.png
keys_and_watch "Return did not commit the conversion" key Return

convert_in_new_entry title-list.png
click TitleRow0
convert_in_new_entry other-window.png
activate_other_window
wait_for 10 "the title of the entry stayed empty while another window was active (screenshot other-window.png)" \
    title_shown TitleRow2
convert_in_new_entry other-day.png
click Day16
convert_in_new_entry end.png
click BtnEnd
program_ends "the program did not end after 保管しておわり (screenshot before the click: end.png)"
check_month_file "15 4" "16 1"

echo "PASS: $framework with Mozc: $month_file holds every conversion once; screenshots in $shots"
