#!/bin/bash
# Builds Voxtelo's installer and portable zip from a Windows build, both carrying the version
# of the version resource in res/voxtelo.rc:
#
#   installer/dist.sh <windows build folder> <output folder>
#
# gives <output>/Voxtelo-<version>-setup.exe and <output>/Voxtelo-<version>-portable.zip.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
bin=$build/bin

fail() {
    echo "dist: $*" >&2
    exit 1
}

version=$(sed -n 's/^[[:space:]]*FILEVERSION[[:space:]]*\([0-9]\+\),[[:space:]]*\([0-9]\+\),[[:space:]]*\([0-9]\+\),[[:space:]]*\([0-9]\+\).*/\1.\2.\3.\4/p' \
    "$repo/res/voxtelo.rc")
[[ $version =~ ^[0-9]+(\.[0-9]+){3}$ ]] || fail "no FILEVERSION line in res/voxtelo.rc"
[[ -f $bin/voxtelo.exe ]] || fail "$bin/voxtelo.exe is missing: build the Windows program first"
[[ -f $bin/RING.WAV ]] ||
    fail "$bin/RING.WAV is missing: the build makes it with the artwork (res/); without it the phone cannot ring"

# The installer is of the program's own kind; a 32-bit one does not run under wine64 alone.
case $(file -b "$bin/voxtelo.exe") in
PE32+*) target=amd64-unicode ;;
PE32*) target=x86-unicode ;;
*) fail "$bin/voxtelo.exe is not a Windows program" ;;
esac

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$bin/voxtelo.exe" "$bin/RING.WAV" "$stage/"
: >"$stage/Bookmark.ini"
# Notepad on older systems wants CRLF.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$repo/installer/README.txt" >"$stage/README.txt"
# The installer shows the program's own icon.
wrestool -x --type=14 --name=128 "$stage/voxtelo.exe" -o "$stage/voxtelo.ico" ||
    fail "voxtelo.exe has no icon 128"
# The finish page's side picture: that icon on the graphite of the phone's body.
largest=$(identify -format '%w %p\n' "$stage/voxtelo.ico" | sort -n | tail -n1 | cut -d' ' -f2)
convert -size 164x314 gradient:'#3a3f47'-'#1c1f24' \
    \( "$stage/voxtelo.ico[$largest]" -resize 96x96 \) -gravity north -geometry +0+64 \
    -composite -type truecolor BMP3:"$stage/wizard.bmp"

name=Voxtelo-$version
rm -f "$out/$name-setup.exe" "$out/$name-portable.zip"
makensis -V2 -NOCD -DTARGET="$target" -DVERSION="$version" -DSTAGE="$stage" \
    -DICON="$stage/voxtelo.ico" -DWIZARD="$stage/wizard.bmp" \
    -DOUTFILE="$out/$name-setup.exe" "$repo/installer/voxtelo.nsi" >&2 ||
    fail "makensis failed"

# The zip unpacks into a folder of its own.
mkdir "$stage/Voxtelo"
cp "$stage/voxtelo.exe" "$stage/RING.WAV" "$stage/Bookmark.ini" "$stage/README.txt" \
    "$stage/Voxtelo/"
(cd "$stage" && zip -q -X -r "$out/$name-portable.zip" Voxtelo)
echo "dist: $out/$name-setup.exe"
echo "dist: $out/$name-portable.zip"
