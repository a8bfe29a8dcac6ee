#!/usr/bin/env bash
# The real program played in a virtual display: it starts full screen, the arrow keys turn the
# view and walk the player (the red dot on the map moves), and Escape leads out through the
# transition to an exit with status 0.
set -euo pipefail
program=$1
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 640x480

shot() { capture "$work/$1.png"; }
# Where the red dot is on the map, as "x,y" of its first red pixel.
dot() {
    convert "$work/$1.png" -crop 100x100+500+120 +repage txt:- |
        awk -F'[,: ]+' '$0 ~ /#FF0000/ { print $1 + 500 "," $2 + 120; exit }'
}
# The 3D view reduced to a checksum of its pixels.
view() { convert "$work/$1.png" -crop 480x360+0+60 +repage rgb:- | md5sum | cut -c1-32; }

# Holds a key until the condition (a shell command) holds on a fresh screenshot, then lets go.
hold_until() {  # key condition...
    local key=$1
    shift
    xdotool keydown "$key"
    for _ in $(seq 15); do
        shot now
        if "$@"; then
            xdotool keyup "$key"
            return 0
        fi
        sleep 0.1
    done
    xdotool keyup "$key"
    return 1
}

KIRVA_QUIET_BOXES=1 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" &
pid=$!
wait_for_window
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,640,480" ] || { echo "not full screen: $X,$Y ${WIDTH}x$HEIGHT"; exit 1; }
xdotool windowfocus --sync "$window"

# The game runs once the dot is on the map at the start cell.
for _ in $(seq 100); do
    shot start
    [ "$(dot start)" = "503,209" ] && break
    sleep 0.1
done
[ "$(dot start)" = "503,209" ] || { echo "no dot at the start cell: '$(dot start)'"; exit 1; }

reference=$(view start)
view_changed() { [ "$(view now)" != "$reference" ]; }
dot_moved() { [ -n "$(dot now)" ] && [ "$(dot now)" != "503,209" ]; }

# Waits until two screenshots in a row show the same view: no command is running.
settle() {
    local last=
    for _ in $(seq 50); do
        shot now
        [ "$(view now)" = "$last" ] && return 0
        last=$(view now)
        sleep 0.05
    done
}

# From the start cell the way out is ahead or to the right: the other sides are the outer walls.
# A held key repeats its command every four frames, so taps of growing length turn the view by
# different numbers of quarter turns until forward leads out.
moved=
for attempt in $(seq 12); do
    if hold_until Up dot_moved; then moved=1; break; fi
    settle
    reference=$(view now)
    xdotool keydown Right
    sleep "0.0$((attempt % 9 + 1))"
    xdotool keyup Right
    for _ in $(seq 50); do shot now; view_changed && break; sleep 0.05; done
    # Four quarter turns in one tap would show the same view again.
    view_changed && echo "turned right"
    settle
done
[ -n "$moved" ] || { echo "Up did not move the dot"; exit 1; }
echo "the dot moved from 503,209 to $(dot now)"
reference=$(view now)
hold_until Left view_changed || { echo "Left did not turn the view"; exit 1; }
echo "turned left"

xdotool key Escape
for _ in $(seq 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "the program did not quit on Escape"; exit 1; fi
status=0
wait $pid || status=$?
pid=
[ "$status" = 0 ] || { echo "the program ended with status $status"; exit 1; }
echo "played: the view turned, the dot moved, Escape quit with status 0"
