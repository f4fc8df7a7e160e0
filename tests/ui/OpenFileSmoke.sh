#!/bin/sh
# Starts the real program as a file manager would, with a saved round as its
# argument, on a virtual display. The round's folder name has a space and is
# given relative to the folder the program starts in. The round must be
# resumed at its head: that question's picture (plain magenta, named relative
# to the round's folder) is on screen, and the question's answer typed into
# the answer box turns the window green. Then File > Exit with exit code 0.
# Usage: OpenFileSmoke.sh path/to/quillfin [where to keep the screenshot]
set -u

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inside "$@"
fi
case "$2" in
    */*) binary="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")" ;;
    *) binary=$(command -v "$2") ;;
esac
keep="${3:-}"
case "$keep" in "" | /*) ;; *) keep="$PWD/$keep" ;; esac
work=$(mktemp -d)
. "$(cd "$(dirname "$0")" && pwd)/../e2e/Waits.sh"
trap 'rm -rf "$work"' EXIT
# A round kept at exit goes into the test's own folder, never the user's.
export XDG_STATE_HOME="$work/state"
# So does the window's remembered place.
export XDG_CONFIG_HOME="$work/config"

fail() {
    echo "open file smoke test: $*" >&2
    [ -n "$keep" ] && [ -f "$work/screen.png" ] && cp "$work/screen.png" "$keep"
    kill "$pid" 2>/dev/null
    exit 1
}

rounds="$work/saved rounds"
mkdir -p "$rounds"
convert -size 160x120 xc:'#ff00ff' "BMP3:$rounds/marker.bmp" || fail "cannot make the picture"
# Question 2 is the head of the saved round; question 1 is already answered.
printf '\244Q "Which colour is the picture?"\r\n\244A "red"\r\n\244E\r\n\r\n' >"$rounds/colours.txt"
printf '\244Q "And this one?"\r\n\244P "marker.bmp"\r\n\244A "magenta"\r\n\244E\r\n' \
    >>"$rounds/colours.txt"
printf 'qfile: "%s"\r\nsfile: "x.qfr"\r\nqantal: 2\r\nQ: 2 Stat: 0\r\nQ: 1 Stat: 1\r\n' \
    "$rounds/colours.txt" >"$rounds/my round.qfr"

cd "$work" || exit 1
"$binary" "saved rounds/my round.qfr" &
pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillfin( - .*)?$' | head -n 1)
[ -n "$wid" ] || fail "no window titled Quillfin appeared"

# The share of the window's pixels that are the picture's magenta.
magenta_pixels() {
    eval "$(xdotool getwindowgeometry --shell "$wid")" # X, Y, WIDTH, HEIGHT
    import -window root "$work/screen.png" || fail "no screenshot"
    convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -alpha off \
        -fill '#000000' +opaque '#ff00ff' -fill '#ffffff' -opaque '#ff00ff' \
        -format '%[fx:round(mean*w*h)]' info:
}

seen=0
for _ in $(seq 1 50); do
    seen=$(magenta_pixels)
    [ "$seen" -gt 10000 ] && break
    sleep 0.2 # between the screenshots of a wait with a deadline
done
[ -n "$keep" ] && cp "$work/screen.png" "$keep"
[ "$seen" -gt 10000 ] || fail "the round's question with its picture is not on screen ($seen magenta pixels)"

background() {
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    import -window root "$work/screen.png" || fail "no screenshot"
    convert "$work/screen.png" -format "%[hex:p{$((X + 3)),$((Y + HEIGHT - 3))}]" info:
}

# The answer box has the keyboard: the pointer over the window gives it the keys.
xdotool mousemove --sync --window "$wid" 40 40
xdotool type --delay 30 magenta
xdotool key Return
colour=""
for _ in $(seq 1 50); do
    colour=$(background)
    case "$colour" in 006200*) break ;; esac
    sleep 0.2 # between the screenshots of a wait with a deadline
done
case "$colour" in
    006200*) ;;
    *) fail "typing the head question's answer did not give the correct scheme (background $colour)" ;;
esac

Remember root "$work/before-menu.ppm" || fail "no screenshot of the screen"
xdotool key alt+f
ScreenChangedFrom root "$work/before-menu.ppm" 10 || fail "the File menu did not open within 10s"
xdotool key e
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1 # between the looks of a wait with a deadline
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after File > Exit"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit code $status"
echo "open file smoke test: saved round resumed from the command line, answered, exit code 0"
