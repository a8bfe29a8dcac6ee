#!/usr/bin/env bash
# Starts the real program in a virtual display, finds its window titled "KIRVA", presses Escape
# and expects the program to end with status 0 having written nothing on standard error, with
# whatever sound the machine has (none on a build machine: the game then runs silent); then once
# more in a window, ended by SIGTERM instead, which takes the same way out.
set -euo pipefail
program=$1
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 1024x768

start() {  # program arguments...
    KIRVA_QUIET_BOXES=1 SDL_VIDEODRIVER=x11 "$program" "$@" 2>"$work/errors" &
    pid=$!
    wait_for_window
}
# Waits up to ten seconds for the program to end and expects status 0 and a quiet standard error.
expect_end() {  # what
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "the program did not quit on $1"; exit 1; fi
    local status=0
    wait $pid || status=$?
    pid=
    [ "$status" = 0 ] || { echo "the program quit on $1 with status $status"; exit 1; }
    if [ -s "$work/errors" ]; then
        echo "standard error was not empty after $1:"
        cat "$work/errors"
        exit 1
    fi
}

start
echo "window $window titled $(xdotool getwindowname "$window")"
xdotool windowfocus --sync "$window"
xdotool key --window "$window" Escape
expect_end Escape
start --window
kill -TERM $pid
expect_end SIGTERM
echo "the program quit with status 0 on Escape and on SIGTERM"
