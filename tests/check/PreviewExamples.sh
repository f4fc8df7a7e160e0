#!/usr/bin/env bash
# quillfin-check --preview on the examples, as a teacher runs it: the report
# and exit code are those of a plain check, the page is valid HTML with no
# script and no address outside the folder, every picture it shows is a PNG
# beside it, written once, and Chromium's rendering of it shows the pictures.
# Then on every file of the checker's gallery at once: the same report, an
# index linking a valid page per question file.
#   PreviewExamples.sh CHECKER EXAMPLES_FOLDER [GALLERY_FOLDER]
set -u
checker=$1
examples=$2
gallery=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "preview of the examples: $*"; exit 1; }
cd "$examples" || exit 2

plain=$("$checker" first-quiz.txt; echo "exit $?")
preview=$("$checker" --preview "$work/preview" first-quiz.txt 2>"$work/err"; echo "exit $?")
[ "$preview" = "$plain" ] || fail "the report differs from a plain check:
$(diff <(printf '%s\n' "$plain") <(printf '%s\n' "$preview"))"
[ ! -s "$work/err" ] || fail "it wrote to standard error: $(cat "$work/err")"

page="$work/preview/index.html"
[ -f "$page" ] || fail "no index.html"
xmllint --html --noout "$page" 2>"$work/xmllint" || true
[ ! -s "$work/xmllint" ] || fail "xmllint finds errors: $(cat "$work/xmllint")"
! grep -Eiq '<script|https?:|//[a-z]' "$page" || fail "the page holds a script or an outside address"

# Every picture shown is a PNG beside the page; no two questions' equal
# pictures are written twice.
sources=$(grep -o 'src="[^"]*"' "$page" | sed 's/^src="//; s/"$//' | sort -u)
[ -n "$sources" ] || fail "the page shows no picture"
for src in $sources; do
    [ "$(identify -format %m "$work/preview/$src" 2>/dev/null)" = PNG ] ||
        fail "$src is not a PNG beside the page"
done
written=$(find "$work/preview" -name '*.png' | wc -l)
[ "$written" -eq "$(printf '%s\n' "$sources" | wc -l)" ] ||
    fail "$written PNG files for $(printf '%s\n' "$sources" | wc -l) distinct pictures"

# Chromium renders it without a display. Text and frames are grey; the
# pictures are what makes saturated pixels.
timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --screenshot="$work/shot.png" --window-size=1100,4000 "file://$page" >/dev/null 2>&1
[ -f "$work/shot.png" ] || fail "Chromium made no screenshot"
colourful=$(convert "$work/shot.png" -colorspace HSL -channel G -separate +channel \
    -threshold 40% -format '%[fx:mean]' info:)
awk -v f="$colourful" 'BEGIN { exit !(f > 0.02) }' ||
    fail "the screenshot shows no pictures (saturated share $colourful)"
if [ -n "$gallery" ]; then
    cd "$gallery" || exit 2
    files=$(ls *.txt *.qfr)
    plain=$("$checker" $files; echo "exit $?")
    preview=$("$checker" --preview "$work/gallery" $files 2>/dev/null; echo "exit $?")
    [ "$preview" = "$plain" ] || fail "the gallery's report differs from a plain check"
    pages=$(grep -o 'href="[^"]*"' "$work/gallery/index.html" | sed 's/^href="//; s/"$//')
    [ "$(printf '%s\n' "$pages" | wc -l)" -eq "$(ls *.txt | wc -l)" ] ||
        fail "the gallery's index does not link one page per question file"
    for html in index.html $pages; do
        xmllint --html --noout "$work/gallery/$html" 2>"$work/xmllint" || true
        [ ! -s "$work/xmllint" ] || fail "xmllint finds errors in $html: $(cat "$work/xmllint")"
    done
fi
echo "preview of the examples: passed ($written pictures, saturated share $colourful)"
