#!/usr/bin/env bash
# Plays a short round with the Windows program under Wine on a virtual
# display: New round through the menu and the open dialog, a right answer
# (green scheme), Enter, a wrong answer (red scheme), Enter (blue scheme),
# then File > Exit, which must end the program with exit code 0. The colours
# are read from screenshots of the main window's client area: background,
# the text area's panel and its outer frame.
# Usage: wine_test.sh path/to/quillfin.exe
set -uo pipefail
TEST_NAME="wine test"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

exe=$(realpath "${1:?usage: wine_test.sh path/to/quillfin.exe}")
[ -f "$exe" ] || Fail "no program at $exe"
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT

# Two questions so that the wrongly answered one comes back rather than ending
# the round. Windows-1252, CR LF, the tag byte 0xA4, an umlaut in the text.
quiz="$WORK/quiz.txt"
printf '\xa4Q "Type the word right, not \xc4pfel."\r\n\xa4A "right"\r\n\xa4E\r\n\r\n' >"$quiz"
printf '\xa4Q "Type right once more."\r\n\xa4A "right"\r\n\xa4E\r\n' >>"$quiz"

StartDisplay
StartWine
cd "$WORK" || exit 1
"$WINE" "$exe" >"$WORK/program.log" 2>&1 &
program=$!

wid=$(WaitForWindow Quillfin 60) || exit 1
# Keys go to the window under the pointer's focus; Wine focuses its own window.
xdotool mousemove --window "$wid" 200 300

readonly BLUE=0,0,98 GREEN=0,98,0 RED=98,0,0
shot="$WORK/shot.png"

# The welcome screen: the menu bar's height, the client size, the picture.
menu=""
for _ in $(seq 1 50); do
    ShootWindow "$wid" "$shot"
    menu=$(MenuBarHeight "$shot" "$BLUE")
    [ -n "$menu" ] && [ "$(Pixel "$shot" 250 $((menu + 200)))" != "$BLUE" ] && break
    menu=""
    sleep 0.2
done
[ -n "$menu" ] || Fail "the welcome screen with its dark blue background did not appear"
width=$(identify -format '%w' "$shot")
height=$(($(identify -format '%h' "$shot") - menu))

# Where the layout puts the text area when there is no picture.
control_width=478
[ "$width" -le 501 ] && control_width=$((width - 24))
area_x=$((width / 2 - control_width / 2 + 1))
area_y=21

ClientPixel() { Pixel "$shot" "$1" $(($2 + menu)); }

# Polls screenshots until the client area shows the scheme: background at
# two bottom corners, the text area's light panel and its outer frame.
ExpectScheme() {
    local name="$1" background="$2" panel="$3" frame="$4" seen=""
    for _ in $(seq 1 75); do
        ShootWindow "$wid" "$shot"
        seen="$(ClientPixel 3 $((height - 4))) $(ClientPixel $((width - 4)) $((height - 4)))"
        seen="$seen $(ClientPixel $((area_x + control_width - 4)) $((area_y + 2)))"
        seen="$seen $(ClientPixel $((area_x - 2)) $((area_y + 8)))"
        [ "$seen" = "$background $background $panel $frame" ] && return 0
        sleep 0.2
    done
    cp "$shot" "${WINE_TEST_KEEP:-$WORK}/failed-$name.png" 2>/dev/null
    Fail "$name scheme: expected background $background, panel $panel, frame $frame; saw $seen"
}

# Waits until the welcome picture is gone: the question is on screen and the
# answer box has the keyboard.
WaitForQuestion() {
    for _ in $(seq 1 75); do
        ShootWindow "$wid" "$shot"
        [ "$(ClientPixel 250 200)" = "$BLUE" ] && [ "$(ClientPixel 3 $((height - 4)))" = "$BLUE" ] &&
            return 0
        sleep 0.2
    done
    Fail "no question appeared after the question file was chosen"
}

dialog=$(OpenNewRoundDialog "$wid") || exit 1
xdotool type --delay 15 "Z:${quiz//\//\\}"
xdotool key Return
for _ in $(seq 1 50); do
    xdotool getwindowname "$dialog" >/dev/null 2>&1 || break
    sleep 0.2
done

WaitForQuestion
sleep 0.3
xdotool type --delay 15 right
xdotool key Return
ExpectScheme correct "$GREEN" 245,255,245 0,255,0

xdotool key Return
WaitForQuestion
sleep 0.3
xdotool type --delay 15 Rome
xdotool key Return
ExpectScheme wrong "$RED" 255,245,245 255,0,0

xdotool key Return
ExpectScheme neutral "$BLUE" 245,245,255 0,0,255

xdotool key alt+f
sleep 0.3
xdotool key e
for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program" 2>/dev/null && Fail "the program did not end after File > Exit"
wait "$program"
status=$?
[ "$status" -eq 0 ] || Fail "exit code $status"
echo "$TEST_NAME: round played (right, wrong, continue), three colour schemes seen, exit code 0"
