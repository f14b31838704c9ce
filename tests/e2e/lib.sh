# shellcheck shell=bash
# shellcheck disable=SC2154 # failure_shot, portable, shots and today come from the script that sources this file
# What the end-to-end scripts share: the opening of a script, skipping and failing, the processes
# they start and stop, the waits, a virtual X server with a window manager, and the program
# started, looked at, clicked and ended. A script sets, before it calls these (begin_script sets
# the first two, and program and shots):
#   failure_shot       where fail() puts a screenshot of the whole screen
#   overall_deadline   (optional) a value of SECONDS that no wait goes past
#   program_log        (optional) the program's output, which fail() prints
#   work               its scratch folder, removed at exit
#   portable           the folder that holds the program as noterra
#   today              the date and time the program's clock shows
#   shots              where shot() puts its screenshots
#   control            (optional) more client-area rectangles, "left top width height" by name,
#                      added to those of the main window below; a name lies on the main window
#                      unless the script redefines origin_of

work=
started=()

# Client-area rectangles of the main window's controls, of the title list's first row and of the
# whole client area. The list shows seven rows of 12 pixels from 218.
declare -A control=(
    [BtnList]="32 8 129 20"
    [BtnNew]="16 320 73 20"
    [BtnEnd]="440 16 113 20"
    [BtnDel]="96 320 73 20"
    [ListTitle]="8 216 169 92"
    [TxtText]="200 48 353 289"
    [TitleRow0]="10 219 150 12"
    [Client]="0 0 565 353"
)

skip() { echo "SKIP: $*"; exit 77; }

# Says what went wrong and what the screen showed then: the mapped windows and a screenshot.
fail()
{
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        echo "mapped windows: $(timeout 5 xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | paste -sd '|')" >&2
        mkdir -p "$(dirname "$failure_shot")"
        timeout 5 import -window root "$failure_shot" 2>/dev/null && echo "screen at the failure: $failure_shot" >&2
    fi
    [ -n "${program_log:-}" ] && [ -s "$program_log" ] && echo "program output: $(cat "$program_log")" >&2
    exit 1
}

# Skips unless the given tools and libfaketime are installed; sets faketime_lib.
require_tools()
{
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/test.sh installs it)"
    done
    faketime_lib=$(compgen -G '/usr/lib/*/faketime/libfaketime.so.1' | head -n1)
    [ -n "$faketime_lib" ] || skip "libfaketime.so.1 is not installed (package libfaketime)"
}

# Opens a script run as SCRIPT NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY: gives it the seconds in
# all, skips unless the tools are installed and fails without the program. Files and their names
# are compared byte by byte; a helper that reads text as characters sets its own locale.
# Usage: begin_script SECONDS NOTERRA_EXECUTABLE SCREENSHOT_DIRECTORY TOOL...
begin_script()
{
    export LC_ALL=C
    program=$2
    shots=$3
    failure_shot=$shots/failure.png
    overall_deadline=$((SECONDS + $1))
    require_tools "${@:4}"
    [ -x "$program" ] || fail "no program at $program"
}

stop_all()
{
    local i pid
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null
    done
    for _ in $(seq 20); do
        local alive=0
        for pid in "${started[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
        [ $alive -eq 0 ] && break
        sleep 0.1
    done
    for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    [ -n "$work" ] && rm -rf "$work"
}
trap stop_all EXIT

# Waits up to the given seconds, and never past overall_deadline when the script sets one, for
# the command to succeed; else fails with the message.
wait_for()
{
    local deadline=$((SECONDS + $1)) message=$2
    shift 2
    if [ -n "${overall_deadline:-}" ] && [ "$deadline" -gt "$overall_deadline" ]; then
        deadline=$overall_deadline
    fi
    until "$@"; do
        [ $SECONDS -lt "$deadline" ] || fail "$message"
        sleep 0.1
    done
}

# Left to choose, Xvfb takes the lowest number whose sockets it can open, and two servers that
# start together can both take one: the clients of one test then talk to the other's server. So
# each test names a number at random far above those of a desktop, and takes another when the
# one it named was taken.
start_display()
{
    for _ in 1 2 3 4 5; do
        # A server of an earlier start left its number there.
        rm -f "$work/display"
        Xvfb ":$((100 + RANDOM % 900))" -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
            3>"$work/display" 2>"$work/xvfb.log" &
        xvfb=$!
        started+=("$xvfb")
        xvfb_state=starting
        wait_for 5 "Xvfb did not report its display" display_ready
        [ "$xvfb_state" = ready ] && break
        wait "$xvfb"
        unset 'started[-1]'
    done
    [ "$xvfb_state" = ready ] || fail "Xvfb found no free display in five tries: $(cat "$work/xvfb.log")"
    DISPLAY=":$(head -n1 "$work/display")"
    export DISPLAY
    # openbox announces itself before it handles its first event, and a window mapped in
    # between is never managed; its start-up command runs only once it is ready.
    rm -f "$work/wm-ready"
    openbox --sm-disable --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
    openbox=$!
    started+=("$openbox")
    wait_for 15 "openbox did not finish starting" wm_ready
}
# Succeeds once Xvfb has reported its display or has ended (the number was taken).
display_ready()
{
    if ! kill -0 "$xvfb" 2>/dev/null; then
        xvfb_state=ended
        return 0
    fi
    # The redirection that makes the file happens in the background shell, maybe after this look.
    grep -qs '^[0-9]' "$work/display" || return 1
    xvfb_state=ready
}
wm_ready()
{
    kill -0 "$openbox" 2>/dev/null || fail "openbox ended: $(cat "$work/openbox.log")"
    [ -e "$work/wm-ready" ]
}

# Makes work and, in it, the portable folder that holds the program (from $program) alone; empties
# the screenshots folder; and drops the desktop's settings that would change how the program looks
# or takes keys.
prepare_portable()
{
    work=$(mktemp -d)
    mkdir -p "$shots"
    rm -f "$shots"/*.png
    portable=$work/portable
    mkdir "$portable"
    cp "$program" "$portable/noterra"
    program_log=$work/noterra.log
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_STYLE_OVERRIDE QT_IM_MODULE \
        XMODIFIERS GTK_IM_MODULE IBUS_ADDRESS
}

# Starts the portable program and waits until its main window is active and painted; sets app,
# window, and left and top (the client area's screen origin).
start_program()
{
    launch_program
    take_main_window
}
# Starts the portable program; sets app. Only the clock is faked: with faked file times
# fontconfig takes its caches for stale and rescans every font, and rewrites the shared caches,
# at every start.
launch_program()
{
    LD_PRELOAD=$faketime_lib FAKETIME="@$today" FAKETIME_DONT_FAKE_MONOTONIC=1 NO_FAKE_STAT=1 QT_QPA_PLATFORM=xcb \
        LC_ALL=C.UTF-8 "$portable/noterra" >>"$work/noterra.log" 2>&1 &
    app=$!
    started+=("$app")
}
# Waits until the main window is mapped, active and painted; sets window, left and top.
take_main_window()
{
    wait_for 20 "no window titled Noterra was mapped within the time" main_window
    wait_for 5 "the window was not activated" window_active "$window"
    read -r left top < <(client_origin "$window")
    previous=
    wait_for 8 "the window did not settle" settled Client
}
# Sets window to the program's main window once it is mapped.
main_window()
{
    kill -0 "$app" 2>/dev/null || fail "the program ended before its window appeared: $(cat "$work/noterra.log")"
    window=$(xdotool search --onlyvisible --name '^Noterra$' 2>/dev/null | head -n1)
    [ -n "$window" ]
}
window_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
client_origin()
{
    xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ { x = $2 + 0 } /Absolute upper-left Y/ { y = $2 + 0 }
        END { print x, y }'
}

# The screen origin of the window that holds the named rectangle.
origin_of() { echo "$left $top"; }

# A digest of what the screen shows in the named rectangle.
region()
{
    local x y w h ox oy
    read -r x y w h <<<"${control[$1]}"
    read -r ox oy < <(origin_of "$1")
    import -window root -crop "${w}x${h}+$((ox + x))+$((oy + y))" rgb:- 2>/dev/null | md5sum
}
region_changed()
{
    check_running
    [ "$(region "$1")" != "$2" ]
}
# The named rectangle looks the same twice in a row: painting is done. Empty previous first.
settled()
{
    local now
    check_running
    now=$(region "$1")
    [ "$now" = "$previous" ] && return 0
    previous=$now
    return 1
}

click()
{
    local x y w h ox oy
    read -r x y w h <<<"${control[$1]}"
    read -r ox oy < <(origin_of "$1")
    timeout 5 xdotool mousemove "$((ox + x + w / 2))" "$((oy + y + h / 2))" click 1
}
# Clicks the named rectangle and waits until the watched one shows something else.
click_and_watch()
{
    local target=$1 watched=$2 message=$3 before
    before=$(region "$watched")
    click "$target"
    wait_for 5 "$message" region_changed "$watched" "$before"
}
# Sets notice to a notice (お知らせ, or ご確認ください when it asks something of the user) that the program shows.
notice_shown()
{
    check_running
    notice=$(LC_ALL=C.UTF-8 xdotool search --all --onlyvisible --pid "$app" --name '^(お知らせ|ご確認ください)$' 2>/dev/null |
        head -n1)
    [ -n "$notice" ]
}
# A close asked for before the window manager has taken the notice on goes nowhere: asks again.
notice_closed()
{
    timeout 5 wmctrl -i -c "$notice" 2>/dev/null
    sleep 0.2
    ! xwininfo -id "$notice" 2>/dev/null | grep -q IsViewable
}
shot() { import -window root "$shots/$1" 2>/dev/null || fail "no screenshot $1"; }

running() { kill -0 "$app" 2>/dev/null; }
app_ended() { ! running; }
# The screen of a program that ended shows nothing that could be compared.
check_running()
{
    running && return 0
    wait "$app"
    fail "the program ended unexpectedly with status $?: $(cat "$work/noterra.log")"
}
# Waits for the program to end of itself, which it must do with status 0.
program_ends()
{
    wait_for 10 "$1" app_ended
    wait "$app"
    local status=$?
    unset 'started[-1]'
    [ $status -eq 0 ] || fail "the program ended with status $status: $(cat "$work/noterra.log")"
}
# Saves with BtnEnd, after a screenshot when one is named, and waits for the program to end.
save_and_end()
{
    [ -z "${1:-}" ] || shot "$1"
    click BtnEnd
    program_ends "the program did not end after BtnEnd${1:+ (screen before the click: $shots/$1)}"
}
