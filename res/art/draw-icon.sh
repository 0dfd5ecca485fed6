#!/bin/sh
# Draws Voxtelo's application icon (resource 128): a blue tile with a white handset above a
# keypad of dots. Run it after changing the artwork; its output, voxtelo.ico, is committed.
set -eu
cd "$(dirname "$0")"
magick=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$magick -size 256x256 xc:none \
    -fill '#1d5fa8' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#2f7fd6' -draw 'roundrectangle 20,20 235,130 34,34' \
    -stroke white -strokewidth 30 -fill none -draw 'arc 52,34 204,170 200,340' \
    -stroke none -fill white \
    -draw 'roundrectangle 34,78 92,118 14,14' \
    -draw 'roundrectangle 164,78 222,118 14,14' \
    -draw 'circle 80,162 80,176' -draw 'circle 128,162 128,176' -draw 'circle 176,162 176,176' \
    -draw 'circle 80,206 80,220' -draw 'circle 128,206 128,220' -draw 'circle 176,206 176,220' \
    "$tmp/icon-256.png"

for size in 48 32 16; do
    $magick "$tmp/icon-256.png" -resize ${size}x${size} "$tmp/icon-$size.png"
done
$magick "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$tmp/icon-256.png" ../voxtelo.ico

