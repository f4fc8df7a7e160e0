# What the main window shows, read from the last screenshot ($SHOT) in
# client coordinates: the colour scheme, the question's picture, the answer
# box and the lines of the text area. Sourced by play.sh after Desktop.sh.
# W and H are the client width and height, measured at the welcome screen.

readonly BLUE=0,0,98 GREEN=0,98,0 RED=98,0,0
readonly WHITE=255,255,255

# The window's background at both bottom corners has this colour.
SchemeIs() {
    [ "$(Pixels 3 $((H - 4)) $((W - 4)) $((H - 4)) | tr '\n' ' ')" = "$1 $1 " ]
}

# The question's picture (the fixtures' pictures are 200 x 100, drawn at
# their own size, centred, ten pixels from the top) shows this colour at
# client (x, 60).
PictureAt() { [ "$(Pixel "$1" 60)" = "$2" ]; }
PictureIs() { PictureAt $((W / 2)) "$1"; }

# The rows of the answer box: the first run of 14 to 32 white rows (one line
# of the text area's font and a margin) in the
# middle column of the client area. Prints "top bottom" (inclusive), or
# nothing when no box is shown.
BoxRows() {
    convert "$SHOT" -crop "1x$H+$((W / 2))+$MENU" +repage -depth 8 txt:- |
        awk -v white="($WHITE)" '
            NR == 1 { next }
            { line = $0; gsub(/ /, "", line); split(line, a, ":"); split(a[1], xy, ",")
              y = xy[2]; isWhite = index(a[2], white) == 1
              if (isWhite && start < 0) start = y
              if (!isWhite && start >= 0) { if (y - start >= 14 && y - start <= 32) { print start, y - 1; exit }
                                            start = -1 } }
            BEGIN { start = -1 }'
}

# The darkest grey (0 black to 1 white) inside the answer box, away from its
# left edge where the caret blinks. Empty when no box is shown.
BoxDarkest() {
    local rows top bottom across
    rows=$(BoxRows)
    [ -n "$rows" ] || return 0
    read -r top bottom <<<"$rows"
    # In a narrow window the box is 24 pixels narrower than the client area.
    across=$((W < 480 ? W - 60 : 420))
    convert "$SHOT" -crop "${across}x$((bottom - top - 1))+$((W / 2 - across / 2))+$((top + 1 + MENU))" \
        +repage -colorspace Gray -format '%[fx:minima]' info:
}

BoxShown() { [ -n "$(BoxRows)" ]; }
NoBox() { [ -z "$(BoxRows)" ]; }
BoxEmpty() {
    local darkest
    darkest=$(BoxDarkest)
    [ -n "$darkest" ] && awk "BEGIN { exit !($darkest > 0.9) }"
}
BoxHasText() {
    local darkest
    darkest=$(BoxDarkest)
    [ -n "$darkest" ] && awk "BEGIN { exit !($darkest < 0.5) }"
}

# The rows of the text area: the run of rows of the given panel colour in
# its first column, its left margin, where no text reaches (the right end
# holds the Windows control's scroll bar). Prints "top bottom".
TextAreaRows() {
    local across=$((W > 501 ? 478 : W - 24))
    convert "$SHOT" -crop "1x$H+$((W / 2 - across / 2 + 1))+$MENU" +repage -depth 8 txt:- |
        awk -v panel="($1)" '
            NR == 1 { next }
            { line = $0; gsub(/ /, "", line); split(line, a, ":"); split(a[1], xy, ",")
              y = xy[2]; inside = index(a[2], panel) == 1
              if (inside && start < 0) start = y
              if (!inside && start >= 0) { print start, y - 1; exit } }
            BEGIN { start = -1 }'
}

# The lines of text in the text area (panel colour given), one per output
# line: "top bottom width" of its ink, in client pixels (left of where the
# Windows control keeps its scroll bar).
TextLines() {
    local rows top bottom crop="$WORK/textarea.png"
    rows=$(TextAreaRows "$1")
    [ -n "$rows" ] || return 0
    read -r top bottom <<<"$rows"
    convert "$SHOT" -crop "440x$((bottom - top + 1))+$((W / 2 - 230))+$((top + MENU))" \
        +repage -colorspace Gray -threshold 60% "$crop"
    convert "$crop" -scale "1x$((bottom - top + 1))!" -depth 16 txt:- |
        awk -F'[,:() ]+' 'NR > 1 { print $2, ($4 < 65000) }' |
        awk -v crop="$crop" -v top="$top" '
            { if ($2 && start < 0) start = $1
              if (!$2 && start >= 0) { print start, $1 - 1; start = -1 } }
            END { if (start >= 0) print start, NR - 1 }
            BEGIN { start = -1 }' |
        while read -r from to; do
            width=$(convert "$crop" -crop "x$((to - from + 1))+0+$from" +repage -trim \
                -format '%w' info: 2>/dev/null)
            echo "$((from + top)) $((to + top)) $width"
        done
}
