#!/bin/bash
# Runs the installer test in a fresh Wine prefix of its own, after checking the portable zip.
# A fresh prefix costs 15 s to create, so one pristine template is made once per build and each
# run works on a copy: hard links for the prefix's files, real copies of those Wine rewrites in
# place (the registry and the .ini files). Exit code 77 (skipped) while the build has no
# packages yet, with the reason.
#
#   run-installer-test.sh <windows build folder> <installer_test.exe> [gtest options]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
program=$2
shift 2

setup=$(ls -t "$build"/dist/Voxtelo-*-setup.exe 2>/dev/null | head -n1 || true)
if [[ -z $setup ]]; then
    echo "installer test: no installer in $build/dist; the build packs it once it makes RING.WAV" \
        "(cmake --build $build --target dist says what is missing)"
    exit 77
fi
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

root=$build/installer-test
template=$root/template
"$repo/tools/wine.sh" prefix --prefix "$template"
mkdir -p "$root"
fresh=$(mktemp -d "$root/fresh.XXXXXX")
trap 'rm -rf "$fresh" "$fresh.lock"' EXIT
cp -al "$template/." "$fresh/"
for file in "$template"/*.reg "$template"/drive_c/windows/*.ini; do
    cp --remove-destination "$file" "$fresh/${file#"$template"/}"
done

export VOXTELO_SETUP="Z:${setup//\//\\}"
"$repo/tools/wine.sh" session --prefix "$fresh" \
    "$repo/tools/wine.sh" run --prefix "$fresh" "$program" "$@"
