#!/usr/bin/env bash
# The replay tool as scripts use it: help, a run with a picture and its summary line, bad input.
set -euo pipefail
replay=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$replay" --help | grep -q -- '--shot F:FILE.png' || { echo "no help"; exit 1; }
line=$("$replay" --seed 3 --frames 60 --key 56:39 --shot 58:"$work/shot.png" 2>/dev/null | tail -n 1)
echo "$line"
for pair in frames=60 mazeSteps=112 wallsRemoved=63 playerX=0 playerY=-1 heading=90 facing=1 quitState=2; do
    [[ " $line " == *" $pair "* ]] || { echo "missing $pair"; exit 1; }
done
[ "$(identify -format '%wx%h' "$work/shot.png")" = 640x480 ] || { echo "no 640 by 480 picture"; exit 1; }
status=0
"$replay" --frames x 2>/dev/null || status=$?
[ "$status" = 2 ] || { echo "a bad value gave status $status"; exit 1; }
# SIGINT ends a run that would last for hours through the normal way out, with its summary.
"$replay" --frames 100000000 >"$work/interrupted" 2>/dev/null &
running=$!
sleep 1
kill -INT $running
status=0
timeout 20 tail --pid=$running -f /dev/null || { kill -9 $running; echo "SIGINT did not end it"; exit 1; }
wait $running || status=$?
[ "$status" = 0 ] || { echo "SIGINT gave status $status"; exit 1; }
grep -q 'quitState=2' "$work/interrupted" || { echo "no summary after SIGINT"; exit 1; }
echo "replay tool as expected"
