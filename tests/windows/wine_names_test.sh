#!/usr/bin/env bash
# Folders and files named with letters beyond ASCII, under Wine in code page
# 1252: New round on a question file in such a folder, its picture and zone
# bitmap (named in the question file in Windows-1252), Save round into
# another such folder, Load round from there, and the zone click that needs
# the zone bitmap; then a round file from another computer whose question file
# lies beside it. The picture is checked on screen (the fallback picture
# looks different), the round file byte for byte, and the zone by its marking.
# Usage: wine_names_test.sh path/to/quillfin.exe
set -uo pipefail
TEST_NAME="wine names test"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

exe=$(realpath "${1:?usage: wine_names_test.sh path/to/quillfin.exe}")
[ -f "$exe" ] || Fail "no program at $exe"
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT

# Wine maps Unix names to Windows ones through the locale's character set:
# UTF-8 names on disk, code page 1252 for the program.
export LC_ALL=C.UTF-8

# Unix names in UTF-8; the same names in Windows-1252 for the files' contents.
quiz_dir="$WORK/qf_José €"
round_dir="$WORK/andra ø Š"
quiz_name="frågor ä.txt"
mkdir -p "$quiz_dir" "$round_dir"
quiz="$quiz_dir/$quiz_name"
round="$round_dir/omgång é.qfr"
ToCp1252() { printf '%s' "$1" | iconv -f UTF-8 -t CP1252; }
WinPath() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }

# A 100 x 60 picture of one colour and a zone bitmap whose left half is red.
readonly PICTURE=200,100,40 MARKED=227,75,147
convert -size 100x60 "xc:rgb($PICTURE)" -type TrueColor "BMP3:$quiz_dir/bild Š€.bmp"
convert -size 100x60 xc:black -fill red -draw "rectangle 0,0 49,59" -type TrueColor \
    "BMP3:$quiz_dir/zon é.bmp"
{
    printf '\xa4Q "Click on the left half."\r\n\xa4P "'
    ToCp1252 "bild Š€.bmp"
    printf '"\r\n\xa4A\r\n\xa4Z "'
    ToCp1252 "zon é.bmp"
    printf '"\r\n\xa4F zc red\r\n\xa4E\r\n'
} >"$quiz"

StartDisplay
# Every letter typed into the file dialogs gets a key of its own before Wine
# reads the keyboard map; keys that xdotool maps on the fly get lost there.
free_keys=$(xmodmap -pke | awk 'NF == 3 { print $2 }' | head -n 8)
set -- $free_keys
mapping=()
for letter in eacute aring adiaeresis oslash Scaron EuroSign; do
    [ $# -gt 0 ] || Fail "no free key codes for the letters"
    mapping+=(-e "keycode $1 = $letter")
    shift
done
xmodmap "${mapping[@]}" || Fail "xmodmap could not map the letters"
StartWine
cd "$WORK" || exit 1
"$WINE" "$exe" >"$WORK/program.log" 2>&1 &
program=$!

wid=$(WaitForWindow Quillfin 60) || exit 1
xdotool mousemove --window "$wid" 200 300

readonly BLUE=0,0,98 GREEN=0,98,0
shot="$WORK/shot.png"
menu=""
for _ in $(seq 1 50); do
    ShootWindow "$wid" "$shot"
    menu=$(MenuBarHeight "$shot" "$BLUE")
    [ -n "$menu" ] && [ "$(Pixel "$shot" 250 $((menu + 200)))" != "$BLUE" ] && break
    menu=""
    sleep 0.2 # between the screenshots of a wait with a deadline
done
[ -n "$menu" ] || Fail "the welcome screen did not appear"
width=$(identify -format '%w' "$shot")
height=$(($(identify -format '%h' "$shot") - menu))
# The picture at its own size, centred, 10 pixels from the top.
left=$((width / 2 - 50))
ClientPixel() { Pixel "$shot" "$1" $(($2 + menu)); }

# Polls until the picture pixel at (x, y) of the picture has the colour.
ExpectPicturePixel() {
    local what="$1" x="$2" y="$3" colour="$4" seen=""
    for _ in $(seq 1 75); do
        ShootWindow "$wid" "$shot"
        seen=$(ClientPixel $((left + x)) $((10 + y)))
        [ "$seen" = "$colour" ] && return 0
        sleep 0.2 # between the screenshots of a wait with a deadline
    done
    cp "$shot" "${WINE_TEST_KEEP:-$WORK}/failed-names.png" 2>/dev/null
    Fail "$what: picture pixel ($x, $y) is $seen, expected $colour"
}

# Types a Windows path into the file dialog titled $1 and waits until it closes.
ChooseInDialog() {
    local title="$1" path="$2" dialog
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null |
        head -n 1)
    [ -n "$dialog" ] || Fail "no \"$title\" dialog"
    ScreenHoldsStill "$dialog" 10 || Fail "the \"$title\" dialog did not hold still within 10s"
    Remember "$dialog" "$WORK/before-typing.ppm" || Fail "no screenshot of the dialog"
    xdotool type --delay 20 "$path"
    ScreenChangedFrom "$dialog" "$WORK/before-typing.ppm" 10 ||
        Fail "the name typed into the \"$title\" dialog did not appear within 10s"
    xdotool key Return
    for _ in $(seq 1 50); do
        xdotool getwindowname "$dialog" >/dev/null 2>&1 || return 0
        sleep 0.2 # between the looks of a wait with a deadline
    done
    import -window root "${WINE_TEST_KEEP:-$WORK}/failed-dialog.png" 2>/dev/null
    Fail "the \"$title\" dialog did not close after $path"
}

# New round on the question file in the folder with accents.
OpenNewRoundDialog "$wid" >/dev/null || exit 1
ChooseInDialog Open "$(WinPath "$quiz")"
ExpectPicturePixel "the picture named in Windows-1252 after New round" 75 30 "$PICTURE"

# Save round into the other folder; the file names the question file in 1252.
MenuCommand "$wid" s
ChooseInDialog "Save As" "$(WinPath "$round")"
for _ in $(seq 1 50); do
    [ -f "$round" ] && break
    sleep 0.2 # between the looks of a wait with a deadline
done
[ -f "$round" ] || Fail "Save round wrote no file at $round"
expected="$WORK/expected.qfr"
{
    printf 'qfile: "'
    ToCp1252 "$(WinPath "$quiz")"
    printf '"\r\nsfile: "'
    ToCp1252 "$(WinPath "$round")"
    printf '"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n'
} >"$expected"
# The questions' fingerprints aside, byte for byte as expected.
grep -q "^qsum: [0-9a-f]\{16\}"$'\r'"\$" "$round" || Fail "the round file has no fingerprint sum"
sed -e "/^qsum: [0-9a-f]\{16\}"$'\r'"\$/d" -e "s/ Id: [0-9a-f]\{16\}"$'\r'"\$/"$'\r'"/" "$round" >"$WORK/plain.qfr"
cmp -s "$WORK/plain.qfr" "$expected" || Fail "the round file differs: $(od -c "$round" | head -5)"

# Load round from the other folder, which is now the current one: the picture
# is still the question file's own, and the zone click needs the zone bitmap.
MenuCommand "$wid" l
ChooseInDialog Open "$(WinPath "$round")"
ExpectPicturePixel "the picture after Load round" 75 30 "$PICTURE"
xdotool mousemove --sync --window "$wid" $((left + 20)) $((menu + 10 + 30))
xdotool click 1
ExpectPicturePixel "the zone marked after a click inside it" 20 30 "$MARKED"
ExpectPicturePixel "the picture outside the zone" 75 30 "$PICTURE"
[ "$(ClientPixel 3 $((height - 4)))" = "$GREEN" ] || Fail "the click in the zone was not judged correct"

# A round file saved on another computer names a question file that is not
# here; the one of the same name beside the round file is taken.
moved="$quiz_dir/flyttad ø.qfr"
{
    printf 'qfile: "'
    ToCp1252 "/home/ana/quiz/$quiz_name"
    printf '"\r\nsfile: "x"\r\nqantal: 1\r\nQ: 1 Stat: 0\r\n'
} >"$moved"
MenuCommand "$wid" l
ChooseInDialog Open "$(WinPath "$moved")"
ExpectPicturePixel "the picture after loading a round file from another computer" 75 30 "$PICTURE"
[ "$(ClientPixel 3 $((height - 4)))" = "$BLUE" ] || Fail "the moved round did not ask its question"

MenuCommand "$wid" e
for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1 # between the looks of a wait with a deadline
done
kill -0 "$program" 2>/dev/null && Fail "the program did not end after File > Exit"
wait "$program"
status=$?
[ "$status" -eq 0 ] || Fail "exit code $status"
echo "$TEST_NAME: New round, picture and zone, Save round, Load round and a moved round in folders named with é ä ø € Š"
