#!/usr/bin/env bash
# The same picture files through the Windows build's loading (the Windows
# Imaging Component, under Wine) and the Linux build's (Qt): BMP and PNG
# must give the same pixels exactly, JPEG the same size and nearly the same
# pixels, every EXIF orientation the same upright picture, and hostile
# files must fail on both. Zones marked on pictures of every kind, bitmaps
# copied to 32 bits and bitmaps marked as they are, must give the same pixels
# on both builds.
# Usage: picture_test.sh path/to/windows/quillfin_picture_probe.exe path/to/linux/quillfin_picture_probe
set -uo pipefail
TEST_NAME="picture formats across the builds"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/WineSession.sh"

exe=$(realpath "${1:?usage: picture_test.sh probe.exe probe}")
linux=$(realpath "${2:?usage: picture_test.sh probe.exe probe}")
WORK=$(mktemp -d)
trap 'StopSession; rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1

# Fixtures: exact formats first, then JPEG.
convert -size 37x23 gradient:red-blue -fill "rgb(10,200,30)" -draw "rectangle 3,3 12,9" png24:rgb.png
convert -size 21x13 xc:none -fill "rgba(200,100,40,0.5)" -draw "rectangle 2,2 10,8" \
    -fill "rgba(0,0,255,1)" -draw "point 15,5" png32:alpha.png
convert -size 19x11 gradient:yellow-navy -colors 6 png8:palette.png
convert -size 19x11 gradient:white-black -colorspace Gray -depth 8 png:grey.png
convert -size 19x11 gradient:white-black -colorspace Gray -depth 16 png:grey16.png
convert -size 17x9 gradient:red-green -type palette bmp3:pal8.bmp
convert -size 17x9 gradient:red-green -type truecolor bmp3:rgb24.bmp
convert -size 33x17 gradient:white-black -colorspace Gray -quality 90 grey.jpg
convert -size 33x17 gradient:orange-teal -fill "rgb(200,0,200)" -draw "rectangle 2,2 9,7" \
    -quality 90 colour.jpg
for o in 1 2 3 4 5 6 7 8; do
    python3 - "$o" <<'PY'
import struct, sys
o = int(sys.argv[1])
j = open('colour.jpg', 'rb').read()
tiff = b'MM\x00*' + struct.pack('>I', 8) + struct.pack('>H', 1) + \
    struct.pack('>HHIHH', 0x0112, 3, 1, o, 0) + struct.pack('>I', 0)
payload = b'Exif\x00\x00' + tiff
open('orient%d.jpg' % o, 'wb').write(j[:2] + b'\xff\xe1' + struct.pack('>H', len(payload) + 2) + payload + j[2:])
PY
done
# Zone marking as the feedback shows it: pictures with a palette (4 and 8 bits),
# 24 bits and PNG, zones of 1 and 24 bits smaller and larger than the picture.
convert -size 37x23 gradient:red-blue -type palette bmp3:pal8-37.bmp
convert -size 17x9 xc:black -fill red -draw "rectangle 2,2 8,6" -type palette bmp3:zone1.bmp
convert -size 41x25 xc:black -fill "rgb(0,255,0)" -draw "rectangle 5,3 30,20" \
    -type truecolor bmp3:zone24.bmp
for f in pal8.bmp pal8-37.bmp rgb24.bmp palette.png; do
    cp "$f" "marked-1-$f"
    cp "$f" "marked-24-$f"
done
marked="--mark=zone1.bmp,255,0,0,5 marked-1-pal8.bmp --mark=zone1.bmp,255,-1,-1,2 marked-1-pal8-37.bmp
    --mark=zone1.bmp,255,0,0,7 marked-1-rgb24.bmp --mark=zone1.bmp,-1,-1,0,1 marked-1-palette.png
    --mark=zone24.bmp,0,255,0,5 marked-24-pal8.bmp --mark=zone24.bmp,0,255,0,0 marked-24-pal8-37.bmp
    --mark=zone24.bmp,-1,255,-1,2 marked-24-rgb24.bmp --mark=zone24.bmp,0,255,0,7 marked-24-palette.png"
# Scaling as the program draws pictures: a photo-like picture and a line
# drawing, BMP and 8-bit PNG, shrunk to 1/3 and 1/7 and enlarged 2x by the
# program's resampler (`--scale`), and by the system's StretchBlt
# (`--system`) to show what the platforms' own scaling would make of them.
convert -size 210x147 -seed 7 plasma:orange-navy -blur 0x1 -type truecolor bmp3:photo.bmp
convert photo.bmp png8:photo8.png
convert -size 210x147 xc:white -fill none -stroke black -draw "line 0,0 209,146" \
    -draw "circle 105,73 105,20" -stroke red -draw "line 0,140 209,5" -draw "rectangle 20,20 60,50" \
    -type truecolor bmp3:lines.bmp
convert lines.bmp png8:lines8.png
scaled=""
for f in photo.bmp photo8.png lines.bmp lines8.png; do
    for way in scale system; do
        for size in third:70,49 seventh:30,21 double:420,294; do
            cp "$f" "$way-${size%%:*}-$f"
            scaled="$scaled --$way=${size#*:} $way-${size%%:*}-$f"
        done
    done
done
head -c 40 rgb.png >cut.png
printf 'BM not a bitmap' >junk.bmp
exact="rgb.png alpha.png palette.png grey.png pal8.bmp pal8-37.bmp rgb24.bmp cut.png junk.bmp"
# 16 bits per component are brought to 8 by each system's own rounding.
deep="grey16.png"
photos="grey.jpg colour.jpg orient1.jpg orient2.jpg orient3.jpg orient4.jpg orient5.jpg orient6.jpg orient7.jpg orient8.jpg"

"$linux" $exact $deep $photos $marked $scaled >linux.txt || Fail "the Linux probe failed"
StartWine
"$WINE" "$exe" $exact $deep $photos $marked $scaled 2>/dev/null | tr -d '\r' >windows.txt ||
    Fail "the Windows probe failed"
# The marked pictures must show the zone: each differs from the picture unmarked.
for f in pal8.bmp pal8-37.bmp rgb24.bmp palette.png; do
    for z in 1 24; do
        [ "$(grep -A1 "^marked-$z-$f " linux.txt | tail -1)" != "$(grep -A1 "^$f " linux.txt | tail -1)" ] ||
            Fail "marked-$z-$f shows no zone"
    done
done
exact="$exact $(echo "$marked" | tr ' ' '\n' | grep '^marked-' | tr '\n' ' ')"

status=0
for f in $exact $deep $photos; do
    l=$(grep -A1 "^$f " linux.txt)
    w=$(grep -A1 "^$f " windows.txt)
    [ -n "$l" ] && [ -n "$w" ] || { echo "$TEST_NAME: $f missing from a probe"; status=1; continue; }
    lhead=$(echo "$l" | head -1)
    whead=$(echo "$w" | head -1)
    case "$f" in
        cut.png | junk.bmp)
            [ "$lhead" = "$f none" ] && [ "$whead" = "$f none" ] ||
                { echo "$TEST_NAME: $f should fail on both: '$lhead' / '$whead'"; status=1; }
            continue ;;
    esac
    [ "$lhead" = "$whead" ] || { echo "$TEST_NAME: $f sizes differ: '$lhead' / '$whead'"; status=1; continue; }
    case "$f" in
        *16.png)
            largest=$(python3 -c '
import sys
a, b = bytes.fromhex(sys.argv[1]), bytes.fromhex(sys.argv[2])
print(max(abs(x - y) for x, y in zip(a, b)))' "$(echo "$l" | tail -1)" "$(echo "$w" | tail -1)")
            [ "$largest" -le 1 ] || { echo "$TEST_NAME: $f differs by up to $largest"; status=1; }
            echo "$TEST_NAME: $f ${lhead#* } differs by at most $largest" ;;
        *.jpg)
            # JPEG decoders may round differently: mean difference per component at most 2.
            diff=$(python3 -c '
import sys
a, b = bytes.fromhex(sys.argv[1]), bytes.fromhex(sys.argv[2])
print("%.3f" % (sum(abs(x - y) for x, y in zip(a, b)) / len(a)))' "$(echo "$l" | tail -1)" "$(echo "$w" | tail -1)")
            awk -v d="$diff" 'BEGIN { exit !(d <= 2) }' ||
                { echo "$TEST_NAME: $f differs by $diff on average"; status=1; }
            echo "$TEST_NAME: $f ${lhead#* } mean difference $diff" ;;
        *)
            if [ "$l" = "$w" ]; then
                echo "$TEST_NAME: $f ${lhead#* } same pixels"
            else
                echo "$TEST_NAME: $f pixels differ: $(python3 -c '
import sys
a, b = bytes.fromhex(sys.argv[1]), bytes.fromhex(sys.argv[2])
d = [(i, x, y) for i, (x, y) in enumerate(zip(a, b)) if x != y]
print(len(d), "components, first (index, Linux, Windows):", d[:4])' "$(echo "$l" | tail -1)" "$(echo "$w" | tail -1)")"
                status=1
            fi ;;
    esac
done
# Scaled pictures: the program's own scaling must give the same pixels on both
# builds (mean difference per component at most 0.5); the system's is shown.
python3 - linux.txt windows.txt $(echo "$scaled" | tr ' ' '\n' | grep -v '^--') <<'PY' || status=1
import sys
def read(path):
    lines = open(path).read().split('\n')
    return {l.split(' ')[0]: (l, lines[i + 1]) for i, l in enumerate(lines[:-1]) if ' ' in l}
linux, windows = read(sys.argv[1]), read(sys.argv[2])
failed = False
for name in sys.argv[3:]:
    l, w = linux.get(name), windows.get(name)
    if l is None or w is None or l[0] != w[0] or len(l[1]) != len(w[1]) or not l[1]:
        print('picture formats across the builds: %s sizes differ: %r / %r' % (name, l and l[0], w and w[0]))
        failed = True
        continue
    a, b = bytes.fromhex(l[1]), bytes.fromhex(w[1])
    mean = sum(abs(x - y) for x, y in zip(a, b)) / len(a)
    largest = max(abs(x - y) for x, y in zip(a, b))
    print('picture formats across the builds: %s %s mean difference %.3f, largest %d'
          % (name, l[0].split(' ', 1)[1], mean, largest))
    if name.startswith('scale-') and mean > 0.5:
        print("picture formats across the builds: %s: the program's scaling differs between the builds" % name)
        failed = True
sys.exit(1 if failed else 0)
PY
# The orientations: 5 to 8 swap the sides; each must differ from the stored picture but 1.
for o in 5 6 7 8; do
    grep -q "^orient$o.jpg 17 33$" windows.txt || { echo "$TEST_NAME: orientation $o not turned"; status=1; }
done
[ "$status" -eq 0 ] && echo "$TEST_NAME: passed"
exit "$status"
