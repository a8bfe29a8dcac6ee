#!/usr/bin/env bash
# Starts the real program in a virtual display, finds its window titled "KIRVA", presses Escape
# and expects the program to end with status 0 having written nothing on standard error, with
# whatever sound the machine has (none on a build machine: the game then runs silent).
set -euo pipefail
program=$1
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
errors=$(mktemp)
trap 'kill $xvfb 2>/dev/null || true; kill $pid 2>/dev/null || true; rm -f "$errors"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

KIRVA_QUIET_BOXES=1 SDL_VIDEODRIVER=x11 "$program" 2>"$errors" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^KIRVA$' | head -n 1)
[ -n "$window" ] || { echo "no window titled KIRVA"; exit 1; }
echo "window $window titled $(xdotool getwindowname "$window")"
xdotool windowfocus --sync "$window"
xdotool key --window "$window" Escape
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "the program did not quit on Escape"; exit 1; fi
wait $pid
echo "the program quit with status 0"
if [ -s "$errors" ]; then
    echo "standard error was not empty:"
    cat "$errors"
    exit 1
fi
