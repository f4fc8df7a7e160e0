#!/usr/bin/env bash
# Regenerates the application icon with ImageMagick: a white quill on the
# program's dark blue. One drawing at 256 pixels gives the Windows icon
# (quillfin.ico: 16, 32, 48 and 256 pixels) and the desktop's icons
# (icons/quillfin-<size>.png, installed into the hicolor theme). Run by hand
# when it changes; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 256x256 xc:none \
  -fill '#000062' -draw 'roundrectangle 8,8 247,247 40,40' \
  -fill none -stroke '#4f8fd8' -strokewidth 10 -draw 'roundrectangle 13,13 242,242 36,36' \
  -stroke none -fill '#ffffff' \
  -draw 'path "M 196,40 C 120,60 70,120 62,200 L 78,204 C 96,140 130,96 196,40 Z"' \
  -fill '#f4e7c5' -draw 'path "M 196,40 C 170,110 130,160 80,196 L 76,186 C 120,140 160,96 196,40 Z"' \
  -stroke '#f4e7c5' -strokewidth 8 -fill none -draw 'line 70,196 52,226' \
  "$tmp/icon-256.png"
for size in 16 24 32 48 64 128; do
  convert "$tmp/icon-256.png" -resize "${size}x${size}" "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$tmp/icon-256.png" -depth 8 quillfin.ico
mkdir -p icons
for size in 16 24 32 48 64 128 256; do
  # Without dates or other metadata, so that a rerun gives the same bytes.
  convert "$tmp/icon-$size.png" -depth 8 -strip -define png:exclude-chunks=date,time "icons/quillfin-$size.png"
done
