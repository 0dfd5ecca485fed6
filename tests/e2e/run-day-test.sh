#!/bin/bash
# Runs the day with the phone: the installed program in a fresh Wine prefix of its own
# (tests/support/fresh-prefix.sh), with the LED device stand-in, on an X display of its own so
# that no other test's window, notice or tray shares the screen. Screenshots go to the folder
# given.
#
#   run-day-test.sh <windows build folder> <e2e_day_test.exe> <screenshots folder> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
shots=$3
shift 3

source "$repo/tests/support/fresh-prefix.sh"
require_installer "$build" "day test"

fresh_prefix "$build"
# The prefix's services start the LED device stand-in when its driver is there.
cp "$build/bin/ledsim.sys" "$fresh/drive_c/windows/system32/drivers/ledsim.sys"

mkdir -p "$shots"
export VOXTELO_SETUP="Z:${setup//\//\\}"
export VOXTELO_DAY_SHOTS=$(cd "$shots" && pwd)
# A calm desktop rather than Xvfb's black, so that the screenshots show where the windows'
# shapes end. (With no compositing manager, X shows their see-through parts over black.)
backdrop="$fresh-backdrop.png"
trap 'rm -rf "$fresh" "$fresh.lock" "$fresh-config" "$backdrop"' EXIT
convert -size 1280x1024 gradient:'#6d8ca5'-'#c3d1dc' "$backdrop"
# ImageMagick's display sets it and ends, with status 1 even then.
env -u DISPLAY "$repo/tools/wine.sh" session --prefix "$fresh" bash -c \
    'display -window root "$1" || true; shift; exec "$@"' _ "$backdrop" \
    "$repo/tools/wine.sh" run --prefix "$fresh" "$program" "$@"
