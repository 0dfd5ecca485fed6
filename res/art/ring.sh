#!/bin/sh
# Makes RING.WAV: a desk phone's double ring. Each burst warbles between two tones every
# 20 ms (whole periods of both, so the joins do not click); two bursts, then silence.
# 16-bit mono PCM at 22050 Hz, which the WaveAudio device of every Windows opens.
#   ring.sh OUT.wav
set -eu
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# No dither: the file is the same on every build.
fmt="-D -r 22050 -c 1 -b 16"

# One 20 ms tone with its octave, a little softer, for a brighter bell.
tone() {
    sox -D -r 22050 -c 2 -n $fmt "$tmp/$1.wav" synth 0.02 sine "$2" sine "$(($2 * 2))" \
        remix 1v0.8,2v0.2
}
tone low 1000
tone high 1250
sox $fmt "$tmp/low.wav" "$tmp/high.wav" "$tmp/pair.wav"
# A burst of 0.4 s with soft edges; two of them 0.2 s apart, then quiet up to 1.8 s.
sox $fmt "$tmp/pair.wav" "$tmp/burst.wav" repeat 9 fade t 0.008 0.4 0.02 gain -n -4
sox $fmt "$tmp/burst.wav" "$tmp/ring.wav" pad 0 0.2 repeat 1 pad 0 0.6
mv "$tmp/ring.wav" "$out"
