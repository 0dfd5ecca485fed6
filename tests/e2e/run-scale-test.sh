#!/bin/bash
# Runs the scale test at one display scale: in a Wine prefix whose LogPixels is that scale, on
# an X display of its own (large enough for the phone at 200 %), so that it needs none of the
# other tests' locks. Each scale's prefix is made once from the build's own prefix (hard
# links, with real copies of the files Wine rewrites in place) and kept beside it; a warm run
# only starts its Wine server. Screenshots go to the folder given.
#
#   run-scale-test.sh <windows build folder> <e2e_scale_test.exe> <LogPixels> <shots> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
dpi=$3
shots=$4
shift 4

main=$build/wineprefix
prefix=$build/wineprefix-dpi$dpi
export WINEDEBUG=-all

exec 8>"$prefix.make-lock"
flock 8
if [[ $(cat "$prefix/.voxtelo-logpixels" 2>/dev/null) != "$dpi" ]]; then
    "$repo/tools/wine.sh" prefix --prefix "$main"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    cp -al "$main/." "$prefix/"
    rm -f "$prefix/.voxtelo-logpixels"
    for file in "$main"/*.reg "$main"/drive_c/windows/*.ini; do
        cp --remove-destination "$file" "$prefix/${file#"$main"/}"
    done
    # Read by the next Wine server of the prefix; this one only writes it.
    WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" \
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    echo "$dpi" >"$prefix/.voxtelo-logpixels"
fi
flock -u 8
exec 8>&-

# A calm desktop rather than Xvfb's black, as in the day test's screenshots. (With no
# compositing manager, X shows the windows' see-through parts over black.)
screen=1600x1280
backdrop=$build/scale-backdrop.png
if [[ ! -f $backdrop ]]; then
    convert -size $screen gradient:'#6d8ca5'-'#c3d1dc' "png:$backdrop.new"
    mv "$backdrop.new" "$backdrop"
fi
mkdir -p "$shots"
export VOXTELO_SCALE_DPI=$dpi
export VOXTELO_SCALE_SHOTS=$(cd "$shots" && pwd)
# ImageMagick's display sets the backdrop and ends, with status 1 even then.
env -u DISPLAY VOXTELO_SCREEN=${screen}x24 "$repo/tools/wine.sh" session --prefix "$prefix" \
    bash -c 'display -window root "$1" || true; shift; exec "$@"' _ "$backdrop" \
    "$repo/tools/wine.sh" run --prefix "$prefix" "$program" "$@"
