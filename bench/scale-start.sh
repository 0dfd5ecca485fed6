#!/bin/bash
# The phone's start at 100 % and at 200 % side by side: scale_bench's `start` in a 96 and a
# 192 dpi prefix (tools/wine.sh --dpi) by turns, each beside a bare Win32 program in the same
# prefix, and the medians over every round. Run it while no test runs.
#
#   bench/scale-start.sh <windows build folder> [rounds, default 3] [runs a round, default 5]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
rounds=${2:-3}
runs=${3:-5}

runs_file=$(mktemp)
trap 'rm -f "$runs_file"' EXIT
for round in $(seq "$rounds"); do
    for dpi in 96 192; do
        echo "-- round $round"
        wine=("$repo/tools/wine.sh" --prefix "$build/wineprefix" --dpi "$dpi")
        env -u DISPLAY VOXTELO_SCREEN=1600x1280x24 "${wine[0]}" session "${wine[@]:1}" \
            "${wine[0]}" run "${wine[@]:1}" "$build/bin/scale_bench.exe" start "$runs" |
            tee -a "$runs_file" | grep -v '^runs '
    done
done
echo "-- all rounds"
for what in phone bare; do
    for dpi in 96 192; do
        grep "^runs $what $dpi " "$runs_file" | cut -d' ' -f4- | tr ' ' '\n' | sort -n |
            awk -v what="$what" -v dpi="$dpi" '{ v[NR] = $1 } END {
                printf "%s at %d dpi: median %.1f ms over %d runs\n", what, dpi, v[int((NR + 1) / 2)], NR }'
    done
done
