#!/bin/sh
# Renders one picture from its SVG source at a display scale; the build calls it for every
# picture the program ships at every scale, and a designer can run it by hand.
#   render.sh png SOURCE.svg OUT.png PERCENT          32-bit RGBA, for the "PNG" resources
#   render.sh bmp SOURCE.svg OUT.bmp PERCENT          24-bit bottom-up BMP, for BITMAP resources
#   render.sh ico SOURCE.svg OUT.ico PERCENT SIZE...  one square image per size, for ICON resources
# At PERCENT a picture of W x H figures is rendered at the program's rounding of its size,
# W x PERCENT / 100 to the nearest pixel, halves up (scale::DisplayScale::Px): drawn to fill
# exactly that, so that an opaque picture stays opaque to its last pixel (the fraction of a
# pixel the rounding adds or drops is spread over the whole picture).
set -eu
kind=$1 source=$2 out=$3 percent=100
if [ $# -ge 4 ]; then
    percent=$4
    shift 4
else
    shift $#
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The root element's width and height, in figures.
figure() {
    sed -n "s/.*<svg[^>]* $1=\"\\([0-9]*\\)\".*/\\1/p" "$source" | head -n1
}
scaled() {
    echo $((($1 * percent + 50) / 100))
}

# Renders the source at the scale into $tmp/in.png.
render() {
    local width height
    width=$(figure width)
    height=$(figure height)
    if [ -z "$width" ] || [ -z "$height" ]; then
        echo "render.sh: $source has no integer width and height" >&2
        exit 2
    fi
    rsvg-convert -w "$(scaled "$width")" -h "$(scaled "$height")" "$source" -o "$tmp/in.png"
}

case $kind in
png)
    render
    # The renderer drops the alpha channel of an opaque picture; every skin picture keeps it.
    convert "$tmp/in.png" -strip "PNG32:$tmp/out.png"
    ;;
bmp)
    render
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
