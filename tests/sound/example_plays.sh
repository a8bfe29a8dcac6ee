#!/usr/bin/env bash
# Runs the sound example for two seconds with SDL writing the mix to a file, and expects sound
# in it and no error box.
set -euo pipefail
program=$1
mix=$(mktemp)
log=$(mktemp)
trap 'rm -f "$mix" "$log"' EXIT
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$mix" KIRVA_QUIET_BOXES=1 \
    "$program" --seconds 2 >"$log" 2>&1
if grep -q 'krSound::LoadObject' "$log"; then cat "$log"; exit 1; fi
# Silence is all zero bytes.
sounding=$(tr -d '\000' <"$mix" | wc -c)
echo "the example wrote $(stat -c %s "$mix") bytes of sound, $sounding of them not zero"
[ "$sounding" -gt 100000 ]
