# Helpers for the tests that run the Windows program under Wine: a private
# virtual display, a fresh Wine prefix, screenshots of the main window's
# client area and colour checks on them. Sourced by the test scripts; every
# wait has a timeout, so a hung program fails the test instead of the run.

source "$(dirname "${BASH_SOURCE[0]}")/WinePrefix.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/Waits.sh"

Fail() {
    echo "${TEST_NAME:-wine test}: $*" >&2
    exit 1
}

# Starts Xvfb on a free display (the server picks the number, so parallel
# runs cannot collide) and exports DISPLAY. Sets XVFB_PID. The server keeps
# its state (the keyboard map) when its last client goes.
StartDisplay() {
    local fifo="$WORK/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local number
    read -r -t 20 number <"$fifo" || Fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$number"
}

# Ends what this session started: the prefix's Wine processes, then the display.
StopSession() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 20 "$(WineserverBinary)" -k >/dev/null 2>&1 || true
    fi
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# Waits for the visible window with exactly this title; prints its id. Call
# it as id=$(WaitForWindow ...) || exit 1: a failure ends only the subshell.
WaitForWindow() {
    local title="$1" seconds="${2:-30}" id
    id=$(timeout "$seconds" xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null |
        head -n 1)
    [ -n "$id" ] || Fail "no window titled \"$title\" within ${seconds}s"
    echo "$id"
}

# File > New round by keyboard, retried: a key pressed while the window is
# still settling may be lost. Prints the open dialog's window id.
OpenNewRoundDialog() {
    local wid="$1" dialog="" attempt
    for attempt in 1 2 3 4; do
        timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null
        Remember root "$WORK/before-menu.ppm" || Fail "no screenshot of the screen"
        xdotool key alt+f
        # The menu on screen before its item's key; a menu that did not open
        # is tried again.
        ScreenChangedFrom root "$WORK/before-menu.ppm" 5 || continue
        xdotool key n
        dialog=$(timeout 8 xdotool search --sync --onlyvisible --name '^Open$' 2>/dev/null |
            head -n 1)
        [ -n "$dialog" ] && break
        xdotool key Escape # closes the menu if it opened without its item
    done
    [ -n "$dialog" ] || Fail "File > New round opened no dialog"
    echo "$dialog"
}

# The colour of one pixel of an image as "r,g,b".
Pixel() {
    local at="p{$2,$3}"
    convert "$1" -format "%[fx:round(255*$at.r)],%[fx:round(255*$at.g)],%[fx:round(255*$at.b)]\n" info:
}

# The height of the menu bar at the top of a screenshot of the main window:
# the first row whose leftmost pixels have the client background colour.
MenuBarHeight() {
    local file="$1" background="$2"
    convert "$file" -crop 1x80+1+0 +repage -depth 8 txt:- |
        awk -v want="($background)" -F'[ :]+' '
            NR > 1 { gsub(/ /, "", $0); split($0, a, ":"); split(a[1], xy, ",");
                     if (index(a[2], want) == 1) { print xy[2]; exit } }'
}

# Screenshot of the window, to a PNG file.
ShootWindow() {
    local id="$1" file="$2" attempt
    [ -n "$id" ] || Fail "no window to take a screenshot of"
    for attempt in 1 2 3 4 5; do
        import -window "$id" "$file" 2>/dev/null && return 0
        sleep 0.2 # between the attempts of a screenshot
    done
    Fail "no screenshot of window $id"
}

# File > the item with this letter, by keyboard, once the menu is on screen.
MenuCommand() {
    local wid="$1" letter="$2"
    timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null
    Remember root "$WORK/before-menu.ppm" || Fail "no screenshot of the screen"
    xdotool key alt+f
    ScreenChangedFrom root "$WORK/before-menu.ppm" 10 || Fail "the File menu did not open within 10s"
    xdotool key "$letter"
}
