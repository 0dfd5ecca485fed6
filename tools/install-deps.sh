#!/bin/bash
# Installs the Debian packages the build, the tests and the demo need; does nothing when
# they are all present. Without root it prints the one command to run instead.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    g++-mingw-w64-i686-posix mingw-w64-i686-dev
    wine wine64 fonts-wine xvfb fonts-liberation imagemagick xdotool
    librsvg2-bin sox nsis zip unzip icoutils file
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) != 0 ]]; then
    echo "Missing packages. As root, run:" >&2
    echo "  apt-get update && $line" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
$line
