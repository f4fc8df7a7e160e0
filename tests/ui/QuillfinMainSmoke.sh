#!/bin/sh
# Runs the real program on a virtual display: waits for the window titled
# "Quillfin", checks that the window paints its dark blue background and the
# welcome picture, quits through File > Exit and expects exit code 0.
# Usage: QuillfinMainSmoke.sh path/to/quillfin
set -u

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inside "$@"
fi
binary="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
    echo "smoke test: $*" >&2
    kill "$pid" 2>/dev/null
    exit 1
}

"$binary" &
pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillfin$' | head -n 1)
[ -n "$wid" ] || fail "no window titled Quillfin appeared"
sleep 2 # the first layout and the picture follow the first messages

eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y, WIDTH, HEIGHT
import -window root "$work/screen.png" || fail "no screenshot"

background=$(convert "$work/screen.png" -format "%[pixel:p{$((X + 3)),$((Y + HEIGHT - 3))}]" info:)
case "$background" in
    "srgb(0,0,98)" | "rgb(0,0,98)" | "#000062") ;;
    *) fail "expected the dark blue background at the bottom left, found $background" ;;
esac

# The welcome picture is centred near the top: a band across its middle
# must be almost entirely something other than the background.
left=$((X + WIDTH / 2 - 100))
top=$((Y + 80))
covered=$(convert "$work/screen.png" -crop "200x60+$left+$top" +repage -alpha off \
    -fill '#ffffff' +opaque '#000062' -fill '#000000' -opaque '#000062' \
    -format '%[fx:mean]' info:)
awk "BEGIN { exit !($covered > 0.9) }" || fail "welcome picture not shown (covered $covered)"

# File > Exit by keyboard; the pointer over the window gives it the keyboard.
xdotool mousemove --window "$wid" 40 40
sleep 0.5
xdotool key alt+f
sleep 0.5
xdotool key e

for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after File > Exit"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit code $status"
echo "smoke test: window shown, welcome picture drawn, exit code 0"
