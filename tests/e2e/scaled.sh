#!/usr/bin/env bash
# The program on a desktop scaled up, as on a laptop's screen at 150 or
# 200 %: Xvfb at 1280x800 with openbox, the program started with Qt's scale
# factor 1, 1.5, 1.75 and 2 on a question with a picture and a question of three
# lines. At each scale the window, its frame included, lies on the screen;
# the text area and the answer box lie inside the client area; the question
# is read whole off the screen (OCR); at 1 and 2 the picture, drawn at its
# own size, shows its one-pixel checks as squares of 1 and 2 device pixels
# in their own two colours, unblurred; and a click in a zone is right.
#   scaled.sh path/to/quillfin [WxH [scale...]]
# (another screen size and other scales, for a look beyond the usual run)
set -uo pipefail
TEST_NAME="e2e scaled"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/Desktop.sh"
source "$here/Screen.sh"

program=$(realpath "${1:?usage: scaled.sh path/to/program}")
[ -f "$program" ] || Fail "no program at $program"
WORK=$(mktemp -d)
SHOT="$WORK/shot.png"
export XDG_CONFIG_HOME="$WORK/config"
trap 'StopSession; rm -rf "$WORK"' EXIT

SCREEN="${2:-1280x800}"
readonly SCREEN_W=${SCREEN%x*} SCREEN_H=${SCREEN#*x}
SCALES=("${@:3}")
[ "${#SCALES[@]}" -gt 0 ] || SCALES=(1 1.5 1.75 2)
readonly PANEL=245,245,255 TEAL=40,140,140
readonly QUESTION="Which half of this picture is covered in small black and yellow checks, and which half is one plain colour from edge to edge?"

# The picture: 200 x 100, its left half checked black and yellow pixel by
# pixel, its right half teal; a 24-bit BMP.
WritePicture() {
    python3 - "$1" <<'PYTHON'
import struct, sys
w, h = 200, 100
rows = []
for y in range(h):
    row = bytearray()
    for x in range(w):
        if x < 100:
            r, g, b = (0, 0, 0) if (x + y) % 2 == 0 else (255, 255, 0)
        else:
            r, g, b = 40, 140, 140
        row += bytes((b, g, r))
    rows.append(bytes(row))
data = b"".join(reversed(rows))
header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
header += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + data)
PYTHON
}

# The bounding box "left top right bottom" (inclusive, client coordinates)
# of the client pixels of exactly this colour, or nothing.
BoxOf() {
    convert "$SHOT" -crop "${W}x$H+0+$MENU" +repage -fill black +opaque "rgb($1)" \
        -fill white -opaque "rgb($1)" -format '%@' info: 2>/dev/null |
        awk -F'[x+]' 'NF == 4 && $1 > 0 { print $3, $4, $3 + $1 - 1, $4 + $2 - 1 }'
}

# The runs of one client row as "colour length" lines, left to right.
Runs() {
    convert "$SHOT" -crop "${W}x1+0+$(($1 + MENU))" +repage -depth 8 txt:- |
        awk 'NR > 1 { line = $0; gsub(/ /, "", line); split(line, a, ":"); c = substr(a[2], 1, index(a[2], ")"))
                      if (c == last) n++; else { if (n) print last, n; last = c; n = 1 } }
             END { if (n) print last, n }'
}

# The words of a text, one per line, as OCR is compared.
Words() { tr -c '[:alnum:]' '\n' <<<"$1" | grep -v '^$'; }

Ready() {
    MENU=$(MenuBarHeight "$BLUE")
    [ -n "$MENU" ] || return 1
    W=$(identify -format '%w' "$SHOT")
    H=$(($(identify -format '%h' "$SHOT") - MENU))
    [ -n "$(BoxOf "$PANEL")" ] && [ -n "$(BoxOf "$TEAL")" ]
}

# Starts the program at this scale on a question file of the fixtures, in
# a fresh state folder; sets WID and the window's place x, y.
StartQuiz() {
    export XDG_STATE_HOME="$WORK/state-$1-$2"
    (cd "$WORK/quiz" && QT_SCALE_FACTOR="$1" exec "$program" "$2") >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    WID=$(WaitForWindow "Quillfin - $2 - 1 left" 60) || exit 1
    WaitActive "$WID"
    x=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { print $NF }')
    y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ { print $NF }')
}

StopProgram() {
    kill "$PROGRAM_PID" 2>/dev/null
    wait "$PROGRAM_PID" 2>/dev/null
    PROGRAM_PID=""
    WaitGone "$WID"
    rm -rf "$XDG_CONFIG_HOME"
}

CheckScale() {
    local scale="$1" x y width height extents left right top bottom
    STEP="scale $scale"
    StartQuiz "$scale" scaled.txt
    ShowsWithin 20 "the question with its picture, text area and answer box did not appear" \
        eval 'Ready && [ -n "$(BoxOf "$WHITE")" ]'

    # The window and its frame lie on the screen.
    width=$(xwininfo -id "$WID" | awk '/^  Width/ { print $NF }')
    height=$(xwininfo -id "$WID" | awk '/^  Height/ { print $NF }')
    extents=$(xprop -id "$WID" _NET_FRAME_EXTENTS | tr -dc '0-9 ')
    read -r left right top bottom <<<"$extents"
    Log "window ${width}x$height at $x,$y, frame $left $right $top $bottom, client ${W}x$H below a menu bar of $MENU"
    [ "$((x - ${left:-0}))" -ge 0 ] && [ "$((y - ${top:-0}))" -ge 0 ] &&
        [ "$((x + width + ${right:-0}))" -le "$SCREEN_W" ] &&
        [ "$((y + height + ${bottom:-0}))" -le "$SCREEN_H" ] ||
        Fail "the window ${width}x$height at $x,$y with its frame does not lie on the ${SCREEN_W}x$SCREEN_H screen"

    # The text area and, below it, the answer box lie inside the client area.
    local area box
    read -r -a area <<<"$(BoxOf "$PANEL")"
    read -r -a box <<<"$(BoxOf "$WHITE")"
    [ "${area[0]}" -gt 0 ] && [ "${area[2]}" -lt "$((W - 1))" ] && [ "${box[0]}" -gt 0 ] &&
        [ "${box[2]}" -lt "$((W - 1))" ] && [ "${area[3]}" -lt "${box[1]}" ] &&
        [ "${box[3]}" -lt "$((H - 1))" ] ||
        Fail "the text area (${area[*]}) and the answer box (${box[*]}) do not lie inside the ${W}x$H client area"

    # The question is read whole.
    local read wrong
    convert "$SHOT" -crop "$((area[2] - area[0] + 1))x$((area[3] - area[1] + 1))+${area[0]}+$((area[1] + MENU))" \
        +repage -colorspace Gray -resize "$(awk -v s="$scale" 'BEGIN { print int(300 / s) }')%" "$WORK/ocr.png"
    read=$(tesseract "$WORK/ocr.png" - 2>/dev/null)
    wrong=$(paste -d' ' <(Words "$QUESTION") <(Words "$read") | awk 'NF != 2 || $1 != $2 { n++ } END { print n + 0 }')
    [ "$(Words "$QUESTION" | tail -n 1)" = "$(Words "$read" | tail -n 1)" ] && [ "$wrong" -le 2 ] ||
        Fail "the question was not read whole: \"$read\""

    # The checks of the picture's middle row, at a whole scale: every run
    # inside the checked half is black or yellow and one scale long.
    if [ "$scale" = 1 ] || [ "$scale" = 2 ]; then
        local runs
        runs=$(Runs "$(((10 + 50) * scale))" | awk '$1 == "(0,0,0)" || $1 == "(255,255,0)"')
        [ "$(wc -l <<<"$runs")" -ge 98 ] && ! awk -v s="$scale" 'NR > 1 && $2 != s { bad = 1 } END { exit !bad }' \
            <<<"$(head -n -1 <<<"$runs")" ||
            Fail "the checked half is not drawn in squares of $scale device pixels: $(head -n 8 <<<"$runs" | tr '\n' ' ')"
    fi
    Log "at scale $scale: the window fits, the texts lie inside it and read whole${runs:+, the picture is drawn at device pixels}"
    StopProgram

    # A click on the checked half, the zone, is right.
    StartQuiz "$scale" zone.txt
    ShowsWithin 20 "the zone question did not appear" Ready
    local unitsAcross
    unitsAcross=$(awk -v w="$W" -v s="$scale" 'BEGIN { printf "%d", w / s + 0.5 }')
    xdotool mousemove --sync "$(awk -v x="$x" -v u="$unitsAcross" -v s="$scale" 'BEGIN { printf "%d", x + (u / 2 - 50) * s }')" \
        "$(awk -v y="$y" -v m="$MENU" -v s="$scale" 'BEGIN { printf "%d", y + m + 60 * s }')"
    xdotool click 1
    ShowsWithin 10 "a click in the zone was not right" SchemeIs "$GREEN"
    StopProgram
}

StartDisplay "${SCREEN_W}x$SCREEN_H"
StartWindowManager
mkdir -p "$WORK/quiz"
WritePicture "$WORK/quiz/checks.bmp"
printf '\xa4Q "%s"\r\n\xa4P "checks.bmp"\r\n\xa4A "left"\r\n\xa4E\r\n' "$QUESTION" >"$WORK/quiz/scaled.txt"
# The zone: the checked half, red in the zone bitmap.
convert -size 100x100 xc:red -size 100x100 xc:black +append -type TrueColor "BMP3:$WORK/quiz/zone-mask.bmp"
printf '\xa4Q "Click the checked half."\r\n\xa4P "checks.bmp"\r\n\xa4A\r\n\xa4Z "zone-mask.bmp"\r\n\xa4F zc red\r\n\xa4E\r\n' \
    >"$WORK/quiz/zone.txt"
for scale in "${SCALES[@]}"; do CheckScale "$scale"; done
STEP=""
Log "passed"
