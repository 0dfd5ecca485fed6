#!/bin/bash
# Runs the scale test at one display scale: in a Wine prefix of that scale (tools/wine.sh
# --dpi), on an X display of its own, large enough for the phone at 200 %, over a calm desktop
# (as the day test's screenshots are), so that it needs none of the other tests' locks.
#
#   run-scale-test.sh <windows build folder> <e2e_scale_test.exe> <LogPixels> <shots> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
export VOXTELO_SCALE_DPI=$3
mkdir -p "$4"
export VOXTELO_SCALE_SHOTS=$(cd "$4" && pwd)
shift 4

screen=1600x1280
backdrop=$build/scale-backdrop.png
if [[ ! -f $backdrop ]]; then
    convert -size $screen gradient:'#6d8ca5'-'#c3d1dc' "png:$backdrop.$$"
    mv "$backdrop.$$" "$backdrop"
fi
wine=("$repo/tools/wine.sh" --prefix "$build/wineprefix" --dpi "$VOXTELO_SCALE_DPI")
# ImageMagick's display sets the backdrop and ends, with status 1 even then.
env -u DISPLAY VOXTELO_SCREEN=${screen}x24 "${wine[0]}" session "${wine[@]:1}" \
    bash -c 'display -window root "$1" || true; shift; exec "$@"' _ "$backdrop" \
    "${wine[0]}" run "${wine[@]:1}" "$program" "$@"
