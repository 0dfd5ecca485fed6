#!/bin/bash
# Runs an end-to-end test program apart from every other test, so that it needs none of their
# locks: in a Wine prefix of its own (tools/wine.sh --apart), on an X display of its own, and
# from a folder of its own beside the build's programs, where its phone keeps its own
# Bookmark.ini and Calls.txt. The folder holds hard links to the build's programs, made again
# at each run, so that it always runs the newest build.
#
#   run-apart.sh <windows build folder> <name> <test.exe> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
name=$2
program=$3
shift 3

folder=$build/apart-$name
mkdir -p "$folder"
for file in "$build"/bin/*.exe "$build"/bin/*.dll "$build"/bin/*.sys "$build"/bin/*.WAV; do
    [[ -e $file ]] && ln -f "$file" "$folder/"
done
ln -f "$program" "$folder/"

env -u DISPLAY "$repo/tools/wine.sh" session --prefix "$build/wineprefix" --apart "$name" \
    "$repo/tools/wine.sh" run --prefix "$build/wineprefix" --apart "$name" \
    "$folder/$(basename "$program")" "$@"
