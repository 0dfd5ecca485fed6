#!/bin/bash
# Runs the scale test at one display scale: in a Wine prefix whose LogPixels is that scale
# (tests/support/scale-prefix.sh: made once, kept in the build folder), on an X display of its
# own, large enough for the phone at 200 %, so that it needs none of the other tests' locks.
# Screenshots go to the folder given.
#
#   run-scale-test.sh <windows build folder> <e2e_scale_test.exe> <LogPixels> <shots> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
dpi=$3
shots=$4
shift 4

source "$repo/tests/support/scale-prefix.sh"
scale_prefix "$build" "$dpi"

# A calm desktop rather than Xvfb's black, as in the day test's screenshots. (With no
# compositing manager, X shows the windows' see-through parts over black.)
screen=1600x1280
backdrop=$build/scale-backdrop.png
if [[ ! -f $backdrop ]]; then
    convert -size $screen gradient:'#6d8ca5'-'#c3d1dc' "png:$backdrop.$$"
    mv "$backdrop.$$" "$backdrop"
fi
mkdir -p "$shots"
export VOXTELO_SCALE_DPI=$dpi
export VOXTELO_SCALE_SHOTS=$(cd "$shots" && pwd)
# ImageMagick's display sets the backdrop and ends, with status 1 even then.
env -u DISPLAY VOXTELO_SCREEN=${screen}x24 "$repo/tools/wine.sh" session --prefix "$prefix" \
    bash -c 'display -window root "$1" || true; shift; exec "$@"' _ "$backdrop" \
    "$repo/tools/wine.sh" run --prefix "$prefix" "$program" "$@"
