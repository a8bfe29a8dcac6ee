#!/usr/bin/env bash
# The real program in a virtual display: windowed it is a 640 by 480 window titled "KIRVA"
# showing the display pixel for pixel; full screen it covers the desktop, scaled with its aspect
# kept and letterboxed (the map box shows where the picture lies). SIGTERM and Escape both end it
# with status 0 and nothing on standard error, with whatever sound the machine has (none on a
# build machine: the game then runs silent).
set -euo pipefail
program=$1
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 1280x800

# A pixel as white or black; 5-6-5 white reads back with a green of 254, so allow a little.
shade() {  # file x y
    convert "$1" -format "%[fx:min(p{$2,$3}.r,min(p{$2,$3}.g,p{$2,$3}.b))>0.97?1:(max(p{$2,$3}.r,max(p{$2,$3}.g,p{$2,$3}.b))<0.03?0:2)]" info:
}

expect() {  # what x y white|black
    local got want
    got=$(shade "$work/$1.png" "$2" "$3")
    want=$([ "$4" = white ] && echo 1 || echo 0)
    [ "$got" = "$want" ] || { echo "$1: pixel ($2, $3) is not $4"; exit 1; }
}

# Starts the program and takes the screen once frames run: the map box's bottom edge is drawn.
picture() {  # name args...
    local name=$1
    shift
    start_program "$program" "$@"
    for _ in $(seq 100); do
        capture "$work/$name.png"
        eval "$(xdotool getwindowgeometry --shell "$window")"
        [ "$(shade "$work/$name.png" $((X + 550)) $((Y + 219)))" = 1 ] && break
        [ "$(shade "$work/$name.png" 939 283)" = 1 ] && break
        sleep 0.2
    done
}

picture windowed --window
kill -TERM $pid
expect_end SIGTERM
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || { echo "windowed: ${WIDTH}x$HEIGHT"; exit 1; }
# The map box's white left edge (the pen straddles x 500) and its black inside.
expect windowed $((X + 500)) $((Y + 170)) white
expect windowed $((X + 550)) $((Y + 170)) black
expect windowed $((X + 600)) $((Y + 300)) black

# 1280 by 800 holds the picture at 5/3 scale: 1067 by 800, bars of about 106 pixels at the sides.
picture fullscreen
xdotool windowfocus --sync "$window"
xdotool key --window "$window" Escape
expect_end Escape
expect fullscreen 939 283 white
expect fullscreen 1023 283 black
expect fullscreen 50 400 black
echo "windowed and full-screen pictures as expected; SIGTERM and Escape end with status 0"
