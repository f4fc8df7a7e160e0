#!/usr/bin/env bash
# Renders the same screens with the Windows program under Wine and with the
# Linux program, at the same client sizes, and compares them region by
# region: the picture's frame and content, the text area's and answer box's
# frames and panels, and the background. Each rectangle is also checked
# against where the layout rules put it, so a difference names the side that
# is wrong. Fonts differ between the platforms; the text itself is not compared.
# Usage: compare.sh path/to/quillfin.exe path/to/quillfin [folder for the screenshots]
set -uo pipefail
TEST_NAME="platform comparison"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

exe=$(realpath "${1:?usage: compare.sh quillfin.exe quillfin [folder]}")
linux=$(realpath "${2:?usage: compare.sh quillfin.exe quillfin [folder]}")
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT
# The Linux program keeps a round at exit in the test's own folder.
export XDG_STATE_HOME="$WORK/state"
# And its remembered window place: a place kept by another test would move it.
export XDG_CONFIG_HOME="$WORK/config"
out=${3:-$WORK/shots}
mkdir -p "$out"
out=$(realpath "$out")

# The client size is the one Wine gives the program's 520 x 584 window (its
# frame metrics are not those of Windows 10); the Linux window is resized to
# match. Wine does not follow resizes from outside without a window manager,
# so the Windows side is never resized.
SIZE=""
readonly WELCOME_TEXT="Welcome to Quillfin v.0.02 (beta)"
readonly QUESTION_TEXT="How many balls are in the picture? Count them carefully and type the number."
readonly BLUE=0,0,98 FRAME=0,0,255 PANEL=245,245,255

mkdir -p "$WORK/round"
cp "$here/../../examples/balls.bmp" "$WORK/round/"
quiz="$WORK/round/compare.txt"
printf '\xa4Q "%s"\r\n\xa4P "balls.bmp"\r\n\xa4A "3"\r\n\xa4E\r\n' "$QUESTION_TEXT" >"$quiz"

# Screenshot of the window, stable (the same twice in a row), at the given
# size when one is given. The answer box's caret blinks every half second,
# about as long as a screenshot and the pause after it take: the pauses vary,
# so that two screenshots in a row also fall within one phase of the blink.
Settle() {
    local wid="$1" size="$2" file="$3" previous="$WORK/previous.png" i changed="" shot=""
    rm -f "$previous"
    for i in $(seq 1 60); do
        ShootWindow "$wid" "$file"
        shot=$(identify -format '%wx%h' "$file")
        changed=""
        [ -f "$previous" ] && changed=$(compare -metric AE "$file" "$previous" null: 2>&1)
        if { [ -z "$size" ] || [ "$shot" = "$size" ]; } && [ "$changed" = 0 ]; then
            return 0
        fi
        cp "$file" "$previous"
        sleep "0.$((i % 3 + 1))" # between the screenshots of a wait with a deadline
    done
    Fail "the window did not settle at $size: the last screenshot is $shot, ${changed:-?} pixels changed since the one before"
}

# Keeps the client area at SIZE as <name>.png; resizes the window to it
# unless `resize` is 0 (then SIZE is taken from the window).
ShootClient() {
    local wid="$1" menu="$2" name="$3" resize="$4" w h
    if [ "$resize" = 0 ]; then
        Settle "$wid" "" "$WORK/shot.png"
        SIZE="$(identify -format '%w' "$WORK/shot.png")x$(($(identify -format '%h' "$WORK/shot.png") - menu))"
    fi
    w=${SIZE%x*}
    h=${SIZE#*x}
    [ "$resize" = 1 ] && xdotool windowsize "$wid" "$w" $((h + menu))
    Settle "$wid" "${w}x$((h + menu))" "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "${SIZE}+0+$menu" +repage "$out/$name.png"
}

# Runs one build: the welcome screen, then New round with the question file,
# the question screen, and File > Exit.
Capture() {
    local platform="$1" resize="$2" path="$3"
    shift 3
    "$@" >"$WORK/$platform.log" 2>&1 &
    local pid=$! wid menu=""
    wid=$(WaitForWindow Quillfin 60) || exit 1
    xdotool mousemove --window "$wid" 100 100
    for _ in $(seq 1 50); do
        ShootWindow "$wid" "$WORK/shot.png"
        menu=$(MenuBarHeight "$WORK/shot.png" "$BLUE")
        [ -n "$menu" ] && break
        sleep 0.2 # between the screenshots of a wait with a deadline
    done
    [ -n "$menu" ] || Fail "$platform: no welcome screen"
    ShootClient "$wid" "$menu" "$platform-welcome" "$resize"
    cp "$WORK/shot.png" "$WORK/welcome-whole.png"

    local dialog
    dialog=$(OpenNewRoundDialog "$wid") || exit 1
    xdotool type --delay 15 "$path"
    xdotool key Return
    for _ in $(seq 1 50); do
        xdotool getwindowname "$dialog" >/dev/null 2>&1 || break
        sleep 0.2 # between the looks of a wait with a deadline
    done
    ScreenChangedFrom "$wid" "$WORK/welcome-whole.png" 20 ||
        Fail "$platform: the question did not replace the welcome screen within 20s"
    ShootClient "$wid" "$menu" "$platform-question" "$resize"

    # Without a window manager nothing gives the window back the keyboard
    # after the dialog: Qt then has no active window and no menu mnemonics.
    MenuCommand "$wid" e
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1 # between the looks of a wait with a deadline
    done
    kill -0 "$pid" 2>/dev/null && Fail "$platform: the program did not end after File > Exit"
    wait "$pid" || Fail "$platform: exit code $?"
}

# Bounding boxes (WxH+X+Y) of the 4-connected regions of one exact colour,
# ignoring those less than 12 pixels across either way: the insides of
# letters, which depend on the font.
Regions() {
    convert "$1" -alpha off -fill black +opaque "rgb($2)" -fill white -opaque "rgb($2)" \
        -define connected-components:verbose=true -connected-components 4 null: |
        awk '$NF ~ /255/ { split($2, g, /[x+]/); if (g[1] >= 12 && g[2] >= 12) print $2 }' | sort
}

Describe() {
    local file="$1" w h
    w=$(identify -format '%w' "$file")
    h=$(identify -format '%h' "$file")
    echo "background corners: $(Pixel "$file" 1 1) $(Pixel "$file" $((w - 2)) 1)" \
        "$(Pixel "$file" 1 $((h - 2))) $(Pixel "$file" $((w - 2)) $((h - 2)))"
    echo "frames ($FRAME): $(Regions "$file" "$FRAME" | tr '\n' ' ')"
    echo "panels ($PANEL): $(Regions "$file" "$PANEL" | tr '\n' ' ')"
    echo "white: $(Regions "$file" 255,255,255 | tr '\n' ' ')"
}

# Where the layout rules put the picture's frame, the text area's outer frame
# and (with a question) the answer box's outer frame, for a client of W x H
# and a picture of pw x ph, when the texts fit below the picture at its own
# size. The texts are as tall as their lines in each build's font, so their
# heights and the answer box's top are left open ("?").
Expected() {
    awk -v W="$1" -v H="$2" -v pw="$3" -v ph="$4" -v box="$5" '
        function trunc(x) { return x < 0 ? -int(-x) : int(x) }
        BEGIN {
            dw = pw; dh = ph
            if (W - 22 < pw) { dw = W - 22; dh = trunc((W - 22) / pw * ph) }
            left = trunc(W / 2.0 - dw / 2.0)
            printf "picture frame: %dx%d+%d+%d\n", dw, dh, left, 10
            cw = W > 501 ? 478 : W - 24
            x = trunc(W / 2.0 - cw / 2.0) + 1
            y = dh + 21
            printf "text area frame: %dx?+%d+%d\n", cw + 4, x - 2, y - 2
            if (box) printf "answer box frame: %dx?+%d+?\n", cw + 4, x - 2
        }'
}

# Whether the regions (WxH+X+Y, blank-separated) hold one that matches a
# rectangle whose parts may be "?".
HasRegion() {
    awk -v want="$2" -v regions="$1" 'BEGIN {
        split(want, w, /[x+]/); n = split(regions, r, " ")
        for (i = 1; i <= n; i++) {
            split(r[i], g, /[x+]/); ok = 1
            for (k = 1; k <= 4; k++) if (w[k] != "?" && w[k] != g[k]) ok = 0
            if (ok) exit 0
        }
        exit 1 }'
}

# A description with the heights and tops of the text area's and the answer
# box's regions left open: every region but the picture's frame. The
# Windows text area keeps its scroll bar (disabled while the text fits),
# whose white track parts, under 20 pixels wide, are left out.
MaskTexts() {
    sed -E -e '/^frames/ s/ ([0-9]+)x[0-9]+\+([0-9]+)\+[0-9]+/ \1x?+\2+?/2g' \
        -e '/^white/ s/ 1?[0-9]x[0-9]+\+[0-9]+\+[0-9]+//g' \
        -e '/^(panels|white)/ s/ ([0-9]+)x[0-9]+\+([0-9]+)\+[0-9]+/ \1x?+\2+?/g' "$1"
}

status=0
Report() { echo "$TEST_NAME: $*"; }
Problem() { echo "$TEST_NAME: DIFFERENCE: $*"; status=1; }

StartDisplay
StartWine
Capture windows 0 "Z:${quiz//\//\\}" "$WINE" "$exe"
Capture linux 1 "$quiz" "$linux"

# Compares one screen of the two platforms with each other and with the layout rules.
CompareScreen() {
    local screen="$1" size="$SIZE" w="${SIZE%x*}" h="${SIZE#*x}" side line rect frames corner
    local pw rest ph inner rmse
    win="$out/windows-$screen.png"
    lin="$out/linux-$screen.png"
    Describe "$win" >"$WORK/windows.txt"
    Describe "$lin" >"$WORK/linux.txt"
    if [ "$screen" = welcome ]; then
        Expected "$w" "$h" 480 360 0 >"$WORK/expected.txt"
    else
        Expected "$w" "$h" 320 240 1 >"$WORK/expected.txt"
    fi
    Report "$screen at $size"
    # The regions after the picture (the text area and the answer box) are
    # compared by width and left edge: their heights follow each build's font.
    if ! diff <(MaskTexts "$WORK/windows.txt") <(MaskTexts "$WORK/linux.txt") >"$WORK/diff.txt"; then
        Problem "$screen at $size, Windows (<) and Linux (>) differ:"
        sed 's/^/    /' "$WORK/diff.txt"
    fi
    for side in windows linux; do
        frames=$(grep '^frames' "$WORK/$side.txt")
        while IFS= read -r line; do
            rect=${line##*: }
            HasRegion "${frames#*: }" "$rect" ||
                Problem "$screen at $size, $side: no ${line%%:*} at $rect (found: ${frames#*: })"
        done <"$WORK/expected.txt"
    done
    for corner in $(grep '^background' "$WORK/windows.txt" | cut -d: -f2) \
        $(grep '^background' "$WORK/linux.txt" | cut -d: -f2); do
        [ "$corner" = "$BLUE" ] || Problem "$screen at $size: background $corner, not $BLUE"
    done
    # The picture inside its frame: the same bitmap, the same scaling.
    rect=$(sed -n 's/^picture frame: //p' "$WORK/expected.txt")
    pw=${rect%%x*}
    rest=${rect#*x}
    ph=${rest%%+*}
    inner="$((pw - 2))x$((ph - 2))+$(($(echo "$rect" | cut -d+ -f2) + 1))+11"
    convert "$win" -crop "$inner" +repage "$WORK/win-picture.png"
    convert "$lin" -crop "$inner" +repage "$WORK/lin-picture.png"
    rmse=$(compare -metric RMSE "$WORK/win-picture.png" "$WORK/lin-picture.png" null: 2>&1 |
        sed -n 's/.*(\(.*\)).*/\1/p')
    Report "  picture $inner: RMSE $rmse between the platforms"
    awk -v e="$rmse" 'BEGIN { exit !(e <= 0.02) }' ||
        Problem "$screen at $size: the pictures differ (RMSE $rmse)"
}

CompareScreen welcome
CompareScreen question
[ "$status" -eq 0 ] && Report "same layout and colours on both platforms at $SIZE (screenshots: $out)"
exit "$status"
