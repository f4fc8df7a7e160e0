# The desktop the end-to-end test plays on, and the hands and eyes it plays
# with: a private Xvfb display with the openbox window manager (and, for the
# Windows program, a fresh Wine prefix); keys, typing and clicks through
# xdotool; screenshots of the main window read pixel by pixel. Sourced by
# play.sh. Every wait has a timeout, so a hung program fails the test
# instead of hanging the run.

source "$(dirname "${BASH_SOURCE[0]}")/../windows/WinePrefix.sh"
source "$(dirname "${BASH_SOURCE[0]}")/Waits.sh"

Log() { echo "${TEST_NAME:-e2e}: $*" >&2; }

# Ends the test with a message; with E2E_KEEP set, keeps the last screenshot
# and one of the whole screen there for a look.
Fail() {
    echo "${TEST_NAME:-e2e}: FAILED${STEP:+ in $STEP}: $*" >&2
    if [ -n "${E2E_KEEP:-}" ]; then
        mkdir -p "$E2E_KEEP"
        [ -n "${SHOT:-}" ] && [ -f "$SHOT" ] && cp "$SHOT" "$E2E_KEEP/failed-${STEP:-shot}.png"
        import -window root "$E2E_KEEP/failed-${STEP:-shot}-screen.png" 2>/dev/null
    fi
    exit 1
}

# With E2E_KEEP set, keeps a screenshot of the whole screen there under
# this name: for looking at a step while writing it.
Keep() {
    [ -n "${E2E_KEEP:-}" ] || return 0
    mkdir -p "$E2E_KEEP" && import -window root "$E2E_KEEP/$1.png" 2>/dev/null
}

# ---- session ----------------------------------------------------------

# Starts Xvfb on a display number the server picks itself (so parallel runs
# never collide) and exports DISPLAY. The screen is 1024x768 unless a size
# is given. Sets XVFB_PID.
StartDisplay() {
    local fifo="$WORK/displayfd" number
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    read -r -t 20 number <"$fifo" || Fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$number"
    local _
    for _ in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    Fail "Xvfb on $DISPLAY takes no connections: $(cat "$WORK/xvfb.log")"
}

# Starts openbox with a small configuration of our own: new windows get the
# keyboard, the pointer does not move it, and no key is bound (so that
# nothing the test types is taken by the window manager). Sets WM_PID.
StartWindowManager() {
    cat >"$WORK/openbox.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy><center>yes</center></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse><dragThreshold>8</dragThreshold>
    <context name="Client"><mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind></context>
    <context name="Titlebar"><mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind></context>
  </mouse>
</openbox_config>
EOF
    local attempt _
    # Started again if it gives up at once (it has, rarely, failed to open
    # a display that had just come up).
    for attempt in 1 2 3; do
        HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" openbox --sm-disable \
            --config-file "$WORK/openbox.xml" >"$WORK/openbox.log" 2>&1 &
        WM_PID=$!
        for _ in $(seq 1 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$WM_PID" 2>/dev/null || break
            sleep 0.1 # between the looks of a wait with a deadline
        done
        kill "$WM_PID" 2>/dev/null
        wait "$WM_PID" 2>/dev/null
        sleep 0.5 # between attempts of a start that waits with a deadline
    done
    Fail "openbox did not start: $(cat "$WORK/openbox.log")"
}

# Ends what this session started, by process id: the program, the prefix's
# Wine processes, the window manager, the display.
StopSession() {
    [ -n "${PROGRAM_PID:-}" ] && kill "$PROGRAM_PID" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 20 "$(WineserverBinary)" -k >/dev/null 2>&1 || true
    fi
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# ---- windows ----------------------------------------------------------

# Waits for a visible window with exactly this title; prints its id. Call
# it as id=$(WaitForWindow ...) || exit 1: a failure ends only the subshell.
# A search that meets a window going away fails at once, so it is repeated.
WaitForWindow() {
    local title="$1" seconds="${2:-30}" id="" _
    for _ in $(seq 1 $((seconds * 10))); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        sleep 0.1 # between the looks of a wait with a deadline
    done
    [ -n "$id" ] || Fail "no window titled \"$title\" within ${seconds}s"
    echo "$id"
}

# Waits until the window manager has given this window the keyboard.
WaitActive() {
    local id="$1" _
    for _ in $(seq 1 100); do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] && return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    Fail "window $id ($(xdotool getwindowname "$id" 2>/dev/null)) never got the keyboard"
}

# Waits until a window is gone (closed or hidden).
WaitGone() {
    local id="$1" _
    for _ in $(seq 1 100); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    Fail "window $id ($(xdotool getwindowname "$id" 2>/dev/null)) did not close"
}

# Waits until a file exists and is not empty. A program writes what a file
# dialog chose after the dialog has gone from the screen, and under load
# (Wine's above all) that can be a moment later.
WaitForFile() {
    local file="$1" seconds="$2" _
    for _ in $(seq 1 $((seconds * 10))); do
        [ -s "$file" ] && return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    return 1
}

# Waits until a window's pixels hold still (see ScreenHoldsStill).
WaitSteady() { ScreenHoldsStill "$1" "${3:-10}" || Fail "$2 did not hold still within ${3:-10}s"; }

# Waits until a window differs from a screenshot Remember took (see
# ScreenChangedFrom).
WaitChanged() {
    ScreenChangedFrom "$1" "$2" "${4:-10}" || Fail "$3 did not appear within ${4:-10}s"
}

# ---- hands ------------------------------------------------------------

# A key held as a hand holds it: down, about 120 ms, up.
HoldKey() {
    xdotool keydown "$1"
    sleep 0.12 # the hold itself, not a wait: a key held as a hand holds it
    xdotool keyup "$1"
}

# A quick tap: down and up at once.
TapKey() { xdotool key --delay 0 "$1"; }

# Types text as fast as xdotool can.
TypeFast() { xdotool type --delay 0 -- "$1"; }

# Types one letter that the display's keyboard map lacks (ä, say). xdotool
# maps it to a spare key for the moment of the press; the pause keeps that
# map until the program has read the key, instead of racing with it.
TypeLetter() { xdotool type --delay 500 -- "$1"; }

# A left click at client coordinates of the main window, sent to that
# point of the screen.
ClickClient() {
    local x=$(($1 + WIN_X)) y=$(($2 + WIN_Y + MENU))
    xdotool mousemove --sync "$x" "$y"
    xdotool click 1
}

# ---- eyes -------------------------------------------------------------

# Screenshot of the main window into $SHOT.
Shoot() {
    local _
    for _ in 1 2 3 4 5; do
        import -window "$WID" "$SHOT" 2>/dev/null && return 0
        sleep 0.2 # between the looks of a wait with a deadline
    done
    Fail "no screenshot of the main window"
}

# The colours of client pixels of the last screenshot as "r,g,b", one per
# line, for the coordinate pairs given.
Pixels() {
    local format="" x y
    while [ $# -ge 2 ]; do
        x=$1 y=$(($2 + MENU))
        format="$format%[fx:round(255*p{$x,$y}.r)],%[fx:round(255*p{$x,$y}.g)],%[fx:round(255*p{$x,$y}.b)]\n"
        shift 2
    done
    convert "$SHOT" -format "$format" info:
}

Pixel() { Pixels "$1" "$2"; }

# The height of the menu bar at the top of the last screenshot: the first
# row whose leftmost pixels have the given colour (the client background).
MenuBarHeight() {
    convert "$SHOT" -crop 1x80+1+0 +repage -depth 8 txt:- |
        awk -v want="($1)" '
            NR > 1 { line = $0; gsub(/ /, "", line); split(line, a, ":"); split(a[1], xy, ",");
                     if (index(a[2], want) == 1) { print xy[2]; exit } }'
}

# Runs the command (with its arguments) on fresh screenshots until it
# succeeds, for at most `seconds`; fails the test with `what` otherwise.
ShowsWithin() {
    local seconds="$1" what="$2" _
    shift 2
    for _ in $(seq 1 $((seconds * 4))); do
        Shoot
        "$@" && return 0
        sleep 0.25 # between the looks of a wait with a deadline
    done
    Fail "$what"
}

# Runs the command on screenshots for a while and fails as soon as it
# succeeds: for things that must not happen.
NeverShows() {
    local seconds="$1" what="$2" _
    shift 2
    for _ in $(seq 1 $((seconds * 4))); do
        Shoot
        "$@" && Fail "$what"
        sleep 0.25 # between the looks of a bounded wait that something does not appear
    done
    return 0
}
