#!/bin/sh
# Renders one picture from its SVG source at the source's own pixel size; the build calls it
# for every picture the program ships, and a designer can run it by hand.
#   render.sh png SOURCE.svg OUT.png          32-bit RGBA, for the "PNG" resources
#   render.sh bmp SOURCE.svg OUT.bmp          24-bit bottom-up BMP, for BITMAP resources
#   render.sh ico SOURCE.svg OUT.ico SIZE...  one square image per size, for ICON resources
set -eu
kind=$1 source=$2 out=$3
shift 3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

case $kind in
png)
    # The renderer drops the alpha channel of an opaque picture; every skin picture keeps it.
    rsvg-convert "$source" -o "$tmp/in.png"
    convert "$tmp/in.png" -strip "PNG32:$tmp/out.png"
    ;;
bmp)
    rsvg-convert "$source" -o "$tmp/in.png"
    # The sources are opaque; flattening only drops the alpha channel. TrueColor keeps BMP3
    # from choosing a palette when a picture has few colours.
    convert "$tmp/in.png" -background white -alpha remove -alpha off -type TrueColor \
        "BMP3:$tmp/out.bmp"
    ;;
ico)
    for size in "$@"; do
        rsvg-convert -w "$size" -h "$size" "$source" -o "$tmp/icon-$size.png"
    done
    (cd "$tmp" && convert $(for size in "$@"; do echo "icon-$size.png"; done) ico:out.ico)
    ;;
*)
    echo "render.sh: unknown kind '$kind'" >&2
    exit 2
    ;;
esac
mv "$tmp/out".* "$out"
