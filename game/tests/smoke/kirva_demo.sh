#!/usr/bin/env bash
# The real program played in a virtual display while it records a demo: it starts full screen,
# the arrow keys walk the player (the red dot on the map moves) and turn the view, and Escape
# leads out through the transition to status 0. The demo plays back headless to the state line
# it was recorded with; the picture of the last maze frame is the same in the headless playback
# and in a playback in the window; Escape ends a playback early (a different line, status 3);
# damaged demos and a demo that cannot be written are refused in one line with status 2.
set -euo pipefail
kirva=$1 replay=$2
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 640x480
export SDL_AUDIODRIVER=dummy
demo=$work/walk.demo

shot() { capture "$work/$1.png"; }
# Where the red dot is on the map, as "x,y" of its first red pixel.
dot() {
    convert "$work/$1.png" -crop 100x100+500+120 +repage txt:- |
        awk -F'[,: ]+' '$0 ~ /#FF0000/ { print $1 + 500 "," $2 + 120; exit }'
}
# The 3D view reduced to a checksum of its pixels.
view() { convert "$work/$1.png" -crop 480x360+0+60 +repage rgb:- | md5sum | cut -c1-32; }
view_changed() { [ "$(view now)" != "$reference" ]; }
dot_moved() { [ -n "$(dot now)" ] && [ "$(dot now)" != "503,209" ]; }

# Holds a key until the condition (a shell command) holds on a fresh screenshot, then lets go.
hold_until() {  # key condition...
    local key=$1 held=1
    shift
    xdotool keydown "$key"
    for _ in $(seq 15); do
        shot now
        "$@" && held=0 && break
        sleep 0.1
    done
    xdotool keyup "$key"
    return $held
}

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

start_program "$kirva" --record "$demo"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,640,480" ] || { echo "not full screen: $X,$Y ${WIDTH}x$HEIGHT"; exit 1; }
xdotool windowfocus --sync "$window"
# The game runs once the dot is on the map at the start cell.
for _ in $(seq 100); do
    shot now
    [ "$(dot now)" = "503,209" ] && break
    sleep 0.1
done
[ "$(dot now)" = "503,209" ] || { echo "no dot at the start cell: '$(dot now)'"; exit 1; }

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
    settle
done
[ -n "$moved" ] || { echo "Up did not move the dot"; exit 1; }
echo "the dot moved from 503,209 to $(dot now)"
settle
reference=$(view now)
hold_until Left view_changed || { echo "Left did not turn the view"; exit 1; }
xdotool key Escape
expect_end Escape
echo "played and recorded $(stat -c %s "$demo") bytes: the dot moved, the view turned"

line=$("$replay" --demo "$demo") || { echo "headless playback differs: status $?"; exit 1; }
echo "played back: $line"
case "$line" in *" playerX=0 playerY=-1 "* | *"quitState=0"*) echo "no step was recorded"; exit 1 ;; esac
last=$(echo "$line" | sed 's/^frames=\([0-9]*\) .*/\1/')
"$replay" --demo "$demo" --shot "$last:$work/headless.png" >/dev/null
SDL_VIDEODRIVER=x11 "$kirva" --play "$demo" --shot "$last:$work/window.png" ||
    { echo "playback in the window ended with status $?"; exit 1; }
cmp "$work/headless.png" "$work/window.png" || { echo "the pictures of frame $last differ"; exit 1; }
echo "frame $last looks the same in both playbacks"

# Escape pressed during a playback ends it through the closing scene, short of the recording.
status=0
"$replay" --demo "$demo" --key 2:27 >/dev/null 2>"$work/early.err" || status=$?
[ "$status" = 3 ] || { echo "an early end gave status $status"; exit 1; }
grep -q "^recorded: $line\$" "$work/early.err" && grep -q "^played: " "$work/early.err" ||
    { echo "an early end did not print both lines:"; cat "$work/early.err"; exit 1; }

# One line naming the file, status 2, from both programs.
refused() {  # FILE WHY PROGRAM ARGUMENTS...
    local file=$1 why=$2
    shift 2
    local status=0
    "$@" >/dev/null 2>"$work/refused.err" || status=$?
    [ "$status" = 2 ] || { echo "$*: status $status"; exit 1; }
    [ "$(wc -l <"$work/refused.err")" = 1 ] && grep -qF "$file: $why" "$work/refused.err" ||
        { echo "$*: said"; cat "$work/refused.err"; exit 1; }
}
head -c $(($(stat -c %s "$demo") - 20)) "$demo" >"$work/cut.demo"
cp "$demo" "$work/changed.demo"
printf 'X' | dd of="$work/changed.demo" bs=1 seek=$(($(stat -c %s "$demo") - 6)) conv=notrunc 2>/dev/null
for program in "$replay --demo" "$kirva --play"; do
    # shellcheck disable=SC2086
    refused "$work/cut.demo" "truncated" $program "$work/cut.demo"
    # shellcheck disable=SC2086
    refused "$work/changed.demo" "damaged" $program "$work/changed.demo"
done
refused "$work/none/x.demo" "No such file or directory" "$kirva" --record "$work/none/x.demo"
echo "damaged demos refused"
