#!/usr/bin/env bash
# Regenerates the three built-in bitmaps with ImageMagick. Run by hand when
# they change; the BMP files are committed and embedded at build time.
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold
font_plain=DejaVu-Sans

convert -size 480x360 gradient:'#1b2f7a'-'#4f8fd8' \
  -fill '#ffffff22' -draw 'circle 400,70 470,70' -draw 'circle 60,320 130,320' \
  -stroke '#f4e7c5' -strokewidth 6 -fill none -draw 'path "M 370,335 Q 405,295 448,262"' \
  -stroke none -fill '#f4e7c5' -draw 'polygon 448,262 462,250 454,274' \
  -font "$font" -pointsize 38 -fill white -gravity center \
  -annotate +0-40 'Welcome to Quillfin' \
  -font "$font_plain" -pointsize 18 -fill '#e8f0ff' \
  -annotate +0+20 'Choose File > New round to begin' \
  -type TrueColor BMP3:welcome.bmp

convert -size 480x360 gradient:'#0d5c2e'-'#e0b12f' \
  -fill '#fff6' -draw 'polygon 70,60 78,84 104,84 83,99 91,124 70,109 49,124 57,99 36,84 62,84' \
  -draw 'polygon 410,250 416,268 435,268 420,279 426,297 410,286 394,297 400,279 385,268 404,268' \
  -draw 'polygon 400,50 405,64 420,64 408,73 413,87 400,78 387,87 392,73 380,64 395,64' \
  -font "$font" -pointsize 44 -fill white -stroke '#00000055' -strokewidth 2 -gravity center \
  -annotate +0-30 'Congratulations!' \
  -stroke none -font "$font_plain" -pointsize 20 -fill '#fffbe8' \
  -annotate +0+30 'You finished the round!' \
  -type TrueColor BMP3:congratulations.bmp

convert -size 132x60 xc:'#f2f2f2' -fill none -stroke '#c0392b' -strokewidth 2 \
  -draw 'rectangle 1,1 130,58' -stroke none \
  -font "$font" -pointsize 13 -fill '#c0392b' -gravity center \
  -annotate +0-9 'Could not open' -annotate +0+9 'bitmap' \
  -type TrueColor BMP3:fallback.bmp
