#!/usr/bin/env bash
# quillfin-check.exe under Wine, as a console program without a display: the
# example question file passes with no error and no warning, and a broken
# file gives exactly the report the Linux checker gives (kept in the gallery).
# With the Linux checker given too, the examples' preview written by both:
# the same pages, and pictures equal within the tolerance of the two builds'
# decoders (exact for BMP and PNG, a mean difference of at most 2 per
# component for JPEG).
#   check_test.sh build-win/quillfin-check.exe [build/quillfin-check]
set -euo pipefail
TEST_NAME="wine check test"
exe=$(realpath "$1")
linux=${2:+$(realpath "$2")}
root=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
source "$(dirname "$0")/WineSession.sh"
trap 'StopSession; rm -rf "$WORK"' EXIT
StartWine
unset DISPLAY

# Runs the checker in a folder on one file; prints its report (line ends as
# on Linux) and a last line "exit N".
Check() {
    local code=0 report
    report=$(cd "$1" && timeout 120 "$WINE" "$exe" "$2" 2>/dev/null) || code=$?
    printf '%s\n' "$report" | tr -d '\r'
    echo "exit $code"
}

good=$(Check "$root/examples" first-quiz.txt)
# Whatever the number of questions the example holds, no error and no warning.
printf '%s\n' "$good" | head -1 | grep -Eq '^first-quiz\.txt: [0-9]+ questions, 0 errors, 0 warnings$' &&
    [ "$(printf '%s\n' "$good" | sed -n 2p)" = "exit 0" ] &&
    [ "$(printf '%s\n' "$good" | wc -l)" -eq 2 ] ||
    Fail "the example file should pass with no error and no warning, got:
$good"

broken=$(Check "$root/tests/check/gallery" unclosed-quote.txt)
expected=$(cat "$root/tests/check/gallery/unclosed-quote.expected")
[ "$broken" = "$expected" ] || Fail "the broken file's report differs:
$(diff <(printf '%s\n' "$expected") <(printf '%s\n' "$broken") || true)"
# One encoding per line: a file name that the program gets in the ANSI code
# page and the tag sign of a message reach a pipe and a file, both as UTF-8.
name=$'caf\xc3\xa9.txt'
cp "$root/tests/check/gallery/unknown-tag.txt" "$WORK/$name"
wanted=$(sed -n 1p "$root/tests/check/gallery/unknown-tag.expected" | sed "s/^unknown-tag\.txt/$name/")
piped=$(cd "$WORK" && timeout 120 "$WINE" "$exe" "$name" 2>/dev/null | tr -d '\r' | cat) || true
(cd "$WORK" && timeout 120 "$WINE" "$exe" "$name" >"$WORK/report.out" 2>/dev/null) || true
filed=$(tr -d '\r' <"$WORK/report.out")
for kind in pipe file; do
    [ "$kind" = pipe ] && report=$piped || report=$filed
    printf '%s\n' "$report" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 ||
        Fail "the report to a $kind is not all UTF-8: $(printf '%s\n' "$report" | od -c | head -5)"
    [ "$(printf '%s\n' "$report" | head -1)" = "$wanted" ] ||
        Fail "the report to a $kind should start with
$wanted
got:
$report"
done
if [ -n "$linux" ]; then
    # A folder two levels deep that does not exist yet, named the Windows way.
    report=$(cd "$root/examples" && timeout 120 "$WINE" "$exe" --preview 'Z:'"$WORK"'\win\preview' \
        first-quiz.txt 2>"$WORK/preview.err" | tr -d '\r'; echo "exit ${PIPESTATUS[0]}")
    [ "$report" = "$good" ] || Fail "the report with --preview differs:
$report"
    [ -f "$WORK/win/preview/index.html" ] ||
        Fail "no preview page: $(cat "$WORK/preview.err")"
    (cd "$root/examples" && "$linux" --preview "$WORK/linux" first-quiz.txt >/dev/null)
    cmp -s "$WORK/linux/index.html" "$WORK/win/preview/index.html" ||
        Fail "the pages differ: $(diff "$WORK/linux/index.html" "$WORK/win/preview/index.html" | head -20)"
    # The pictures shown for JPEG files, named by the question before them.
    jpegs=$(awk '/<dt>Picture<\/dt><dd>[^<]*\.(jpg|jpeg|JPG|JPEG)</ { jpeg = 1 }
        /src="/ { if (jpeg) { sub(/.*src="/, ""); sub(/".*/, ""); print } jpeg = 0 }' \
        "$WORK/linux/index.html")
    count=0
    for png in "$WORK"/linux/*.png; do
        name=$(basename "$png")
        other="$WORK/win/preview/$name"
        [ -f "$other" ] || Fail "$name is missing from the Windows preview"
        [ "$(identify -format %wx%h "$png")" = "$(identify -format %wx%h "$other")" ] ||
            Fail "$name has another size on Windows"
        if printf '%s\n' "$jpegs" | grep -qx "$name"; then
            mean=$( (compare -metric MAE "$png" "$other" null: 2>&1 || true) | sed 's/.*(\(.*\))/\1/')
            awk -v m="$mean" 'BEGIN { exit !(m * 255 <= 2) }' ||
                Fail "$name differs by $mean (of 1) on average"
        else
            [ "$(compare -metric AE "$png" "$other" null: 2>&1)" = 0 ] ||
                Fail "$name differs from the Linux build's"
        fi
        count=$((count + 1))
    done
    [ "$count" -gt 0 ] && [ "$count" -eq "$(find "$WORK/win/preview" -name '*.png' | wc -l)" ] ||
        Fail "the builds wrote different numbers of pictures"
    echo "$TEST_NAME: the examples' preview: $count pictures as on Linux"
fi

# Answer reports: two reports read with --answers give the notes the Linux
# checker gives (kept in the gallery).
answers=$(cd "$root/tests/check/gallery/answers" &&
    { timeout 120 "$WINE" "$exe" --answers one.csv two.csv quiz.txt 2>/dev/null; echo "exit $?"; } |
    tr -d '\r')
expected=$(cat "$root/tests/check/gallery/answers/two-reports.expected")
[ "$answers" = "$expected" ] || Fail "the notes from two answer reports differ:
$(diff <(printf '%s\n' "$expected") <(printf '%s\n' "$answers") || true)"
echo "$TEST_NAME: passed"
