#!/usr/bin/env bash
# Unpacks the Windows zip into a temporary folder, checks what a user finds
# there (the program, the help page and examples beside it, a read-me in
# Windows line endings), and starts the unpacked program under Wine with a
# question file as its argument, as "Open with" would: a name relative to
# the program's folder, in a folder whose name has a space. The question's
# picture (plain magenta, named relative to the question file) must be on
# screen, and its answer must turn the window green; File > Exit ends it.
# Usage: ZipWine.sh out/quillfin-VERSION-windows-x86_64.zip [screenshot.png]
set -uo pipefail
TEST_NAME="zip test"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../windows/WineSession.sh"

zip=$(realpath "${1:?usage: ZipWine.sh path/to/quillfin.zip [screenshot]}")
keep="${2:-}"
case "$keep" in "" | /*) ;; *) keep="$PWD/$keep" ;; esac
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT

unzip -q "$zip" -d "$WORK/unpacked" || Fail "cannot unpack $zip"
folders=("$WORK"/unpacked/*)
[ ${#folders[@]} -eq 1 ] && [ -d "${folders[0]}" ] || Fail "the zip does not hold exactly one folder"
app="${folders[0]}"
[ -f "$app/quillfin.exe" ] || Fail "no quillfin.exe"
[ -f "$app/help/Quillfin_help_v.1.00 beta.html" ] || Fail "no help/ beside quillfin.exe"
[ -f "$app/examples/first-quiz.txt" ] || Fail "no examples/ beside quillfin.exe"
readme="$app/README.txt"
[ -f "$readme" ] || Fail "no README.txt"
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme")
[ "$lines" -gt 5 ] && [ "$lines" -eq "$crlf" ] || Fail "README.txt: $crlf of $lines lines end in CR LF"
if grep -q 'quillfin-check.exe' "$readme"; then
    [ -f "$app/quillfin-check.exe" ] || Fail "README.txt names quillfin-check.exe, which is missing"
fi

quizzes="$app/my quizzes"
mkdir -p "$quizzes"
convert -size 160x120 xc:'#ff00ff' "BMP3:$quizzes/marker.bmp" || Fail "cannot make the picture"
printf '\xa4Q "Which colour is the picture?"\r\n\xa4P "marker.bmp"\r\n\xa4A "magenta"\r\n\xa4E\r\n' \
    >"$quizzes/colours.txt"

StartDisplay
StartWine
cd "$app" || exit 1
"$WINE" quillfin.exe 'my quizzes\colours.txt' >"$WORK/program.log" 2>&1 &
program=$!

# The title names the question file once the round has started.
wid=$(WaitForWindow 'Quillfin( - .*)?' 60) || exit 1
xdotool mousemove --window "$wid" 200 300
shot="$WORK/shot.png"

MagentaPixels() {
    ShootWindow "$wid" "$shot"
    convert "$shot" -alpha off -fill '#000000' +opaque '#ff00ff' -fill '#ffffff' -opaque '#ff00ff' \
        -format '%[fx:round(mean*w*h)]' info:
}
seen=0
for _ in $(seq 1 75); do
    seen=$(MagentaPixels)
    [ "$seen" -gt 10000 ] && break
    sleep 0.2 # between the screenshots of a wait with a deadline
done
[ -n "$keep" ] && cp "$shot" "$keep"
[ "$seen" -gt 10000 ] || Fail "the question with its picture is not on screen ($seen magenta pixels)"

# The question drawn in full before the answer is typed.
ScreenHoldsStill "$wid" 10 || Fail "the question did not hold still within 10s"
xdotool type --delay 30 magenta
xdotool key Return
green=""
for _ in $(seq 1 75); do
    ShootWindow "$wid" "$shot"
    h=$(identify -format '%h' "$shot")
    green=$(Pixel "$shot" 3 $((h - 4)))
    [ "$green" = 0,98,0 ] && break
    sleep 0.2 # between the screenshots of a wait with a deadline
done
[ "$green" = 0,98,0 ] || Fail "the answer did not give the correct scheme (background $green)"

MenuCommand "$wid" e
for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1 # between the looks of a wait with a deadline
done
kill -0 "$program" 2>/dev/null && Fail "the program did not end after File > Exit"
wait "$program"
status=$?
[ "$status" -eq 0 ] || Fail "exit code $status"
echo "$TEST_NAME: unpacked, question file from the command line asked and answered under Wine, exit code 0"
