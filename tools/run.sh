#!/bin/bash
# Starts Voxtelo under Wine with its Debug Window and brings the phone forward. With a
# display it runs until you close it (Alt+F4, or F12); without one it runs on Xvfb for a
# few seconds and saves a screenshot under out/.
#
#   tools/run.sh <windows build folder>
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/win64}" && pwd)
bin=$build/bin

if [[ ${2:-} != --inside ]]; then
    headless=0
    [[ -z ${DISPLAY:-} ]] && headless=1
    export VOXTELO_HEADLESS=$headless
    exec "$repo/tools/wine.sh" session --prefix "$build/wineprefix" "$0" "$build" --inside
fi

# Inside the Wine session from here on.
cd "$bin"
wine ./voxtelo.exe debug &
voxtelo=$!
wine ./phonekey.exe

if [[ $VOXTELO_HEADLESS == 1 ]]; then
    sleep 4
    mkdir -p "$repo/out"
    shot=$repo/out/voxtelo-$(date +%Y%m%d-%H%M%S).png
    import -display "$DISPLAY" -window root "$shot"
    echo "run.sh: screenshot saved to $shot"
    wine ./phonekey.exe --close
fi
wait "$voxtelo"
