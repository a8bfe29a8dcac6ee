#!/usr/bin/env bash
# Runs the sound example's tune alone and its chime alone, each for two seconds with SDL writing
# the mix to a file. Each must sound, their peaks must lie within 6 dB of each other, and
# nothing but the disk driver's own notice may reach standard error.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The peak of a mix of 32-bit float samples, in dB of full scale (-999 for silence).
peak() {
    od -An -v -f "$1" | awk '{ for (i = 1; i <= NF; ++i) { v = $i < 0 ? -$i : $i; if (v > m) m = v } }
        END { if (m > 0) printf "%.1f\n", 20 * log(m) / log(10); else print -999 }'
}

for part in tune chime; do
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$part.raw" \
        KIRVA_QUIET_BOXES=1 "$program" --seconds 2 --only "$part" >/dev/null 2>"$work/$part.err"
    if grep -v -e 'disk i/o audio driver' -e 'Writing to file' "$work/$part.err"; then
        echo "the $part wrote the lines above on standard error"
        exit 1
    fi
    level=$(peak "$work/$part.raw")
    echo "the $part peaks at $level dBFS"
    eval "${part}_peak=$level"
done
awk -v tune="$tune_peak" -v chime="$chime_peak" 'BEGIN {
    if (tune < -30 || chime < -30) { print "a part is silent or nearly"; exit 1 }
    difference = tune - chime
    if (difference < -6 || difference > 6) { print "the tune and the chime differ by more than 6 dB"; exit 1 }
}'
