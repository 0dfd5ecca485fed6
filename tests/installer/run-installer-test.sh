#!/bin/bash
# Runs the installer test in a fresh Wine prefix of its own (tests/support/fresh-prefix.sh),
# after checking the portable zip.
#
#   run-installer-test.sh <windows build folder> <installer_test.exe> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
shift 2

source "$repo/tests/support/fresh-prefix.sh"
require_installer "$build" "installer test"
zip=${setup%-setup.exe}-portable.zip
listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
expected="Voxtelo/ Voxtelo/Bookmark.ini Voxtelo/README.txt Voxtelo/RING.WAV Voxtelo/voxtelo.exe "
if [[ $listing != "$expected" ]]; then
    echo "installer test: $zip holds: $listing; expected: $expected" >&2
    exit 1
fi
if [[ -n $(unzip -p "$zip" Voxtelo/Bookmark.ini) ]]; then
    echo "installer test: the zip's Bookmark.ini is not empty" >&2
    exit 1
fi

fresh_prefix "$build"

export VOXTELO_SETUP="Z:${setup//\//\\}"
# On an X display of its own: the phone it installs shows its own tray window at the corner
# where the other tests click theirs.
env -u DISPLAY "$repo/tools/wine.sh" session --prefix "$fresh" \
    "$repo/tools/wine.sh" run --prefix "$fresh" "$program" "$@"
