#!/bin/bash
# Starts Voxtelo under Wine with its Debug Window, beside both simulators: a Skype client
# with a small account (tools/demo/skype-account.txt) and the voice modem (the simulated
# tapi32.dll), then brings the phone forward. With a display it runs until you close it
# (Alt+F4, or F12); without one it runs on Xvfb, rings the modem once, saves a screenshot
# under out/ and ends.
#
#   tools/run.sh <windows build folder>
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/win64}" && pwd)
bin=$build/bin
channel=demo

if [[ ${2:-} != --inside ]]; then
    headless=0
    [[ -z ${DISPLAY:-} ]] && headless=1
    export VOXTELO_HEADLESS=$headless
    exec "$repo/tools/wine.sh" session --prefix "$build/wineprefix" "$0" "$build" --inside
fi

# Inside the Wine session from here on; programs start through the runner for its overrides.
cd "$bin"
run() { "$repo/tools/wine.sh" run --prefix "$build/wineprefix" "$@"; }
export VOXTELO_SIMMODEM_CHANNEL=$channel
[[ -f Bookmark.ini ]] || cp "$repo/tools/demo/Bookmark.ini" Bookmark.ini

run ./skypesim.exe --name $channel --script "$(winepath -w "$repo/tools/demo/skype-account.txt")" &
run ./voxtelo.exe debug &
voxtelo=$!
run ./phonekey.exe

if [[ $VOXTELO_HEADLESS == 1 ]]; then
    # One poll pass attaches to Skype and reads the friends; then a call comes in.
    sleep 7
    run ./simmodem.exe --channel $channel ring 5551234 || true
    sleep 1
    mkdir -p "$repo/out"
    shot=$repo/out/voxtelo-$(date +%Y%m%d-%H%M%S).png
    import -display "$DISPLAY" -window root "$shot"
    echo "run.sh: screenshot saved to $shot"
    run ./simmodem.exe --channel $channel hangup || true
    run ./phonekey.exe --close
    wait "$voxtelo" || true
    run ./skypesimctl.exe --name $channel quit >/dev/null || true
else
    echo "run.sh: Voxtelo runs. From another terminal, in $bin:"
    echo "  tools/wine.sh run simmodem.exe --channel $channel ring 5551234   (an incoming modem call)"
    echo "  tools/wine.sh run skypesimctl.exe --name $channel call-in alice  (an incoming Skype call)"
    wait "$voxtelo" || true
    run ./skypesimctl.exe --name $channel quit >/dev/null || true
fi
wait
