#!/usr/bin/env bash
# The real program's picture in a virtual display: windowed it is a 640 by 480 window showing the
# display pixel for pixel; full screen it covers the desktop, scaled with its aspect kept and
# letterboxed. The maze game's map box shows where the picture lies.
set -euo pipefail
program=$1
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 1280x800

# A pixel as white or black; 5-6-5 white reads back with a green of 254, so allow a little.
shade() {  # file x y
    convert "$1" -format "%[fx:min(p{$2,$3}.r,min(p{$2,$3}.g,p{$2,$3}.b))>0.97?1:(max(p{$2,$3}.r,max(p{$2,$3}.g,p{$2,$3}.b))<0.03?0:2)]" info:
}

expect() {  # what file x y white|black
    local got want
    got=$(shade "$2" "$3" "$4")
    want=$([ "$5" = white ] && echo 1 || echo 0)
    [ "$got" = "$want" ] || { echo "$1: pixel ($3, $4) is not $5"; exit 1; }
}

run() {  # name args...
    local name=$1
    shift
    KIRVA_QUIET_BOXES=1 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" "$@" &
    pid=$!
    wait_for_window
    # The map box is drawn once frames run.
    for _ in $(seq 100); do
        capture "$work/$name.png"
        eval "$(xdotool getwindowgeometry --shell "$window")"
        [ "$(shade "$work/$name.png" $((X + 550)) $((Y + 219)))" = 1 ] && break
        [ "$(shade "$work/$name.png" 939 283)" = 1 ] && break
        sleep 0.2
    done
    capture "$work/$name.png"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool windowfocus --sync "$window"
    xdotool key --window "$window" Escape
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    wait $pid
    pid=
}

run windowed --window
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || { echo "windowed: ${WIDTH}x$HEIGHT"; exit 1; }
# The map box's white left edge (the pen straddles x 500) and its black inside.
expect windowed "$work/windowed.png" $((X + 500)) $((Y + 170)) white
expect windowed "$work/windowed.png" $((X + 550)) $((Y + 170)) black
expect windowed "$work/windowed.png" $((X + 600)) $((Y + 300)) black

# 1280 by 800 holds the picture at 5/3 scale: 1067 by 800, bars of about 106 pixels at the sides.
run fullscreen
expect fullscreen "$work/fullscreen.png" 939 283 white
expect fullscreen "$work/fullscreen.png" 1023 283 black
expect fullscreen "$work/fullscreen.png" 50 400 black
echo "windowed and full-screen pictures as expected"
