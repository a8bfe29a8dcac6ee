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

# Where the red dot is on the map, as "x,y" of its first red pixel, in a fresh screenshot.
dot() {
    capture "$work/now.png"
    convert "$work/now.png" -crop 100x100+500+120 +repage txt:- |
        awk -F'[,: ]+' '$0 ~ /#FF0000/ { print $1 + 500 "," $2 + 120; exit }'
}

start_program "$kirva" --record "$demo"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,640,480" ] || { echo "not full screen: $X,$Y ${WIDTH}x$HEIGHT"; exit 1; }
xdotool windowfocus --sync "$window"
# The game runs once the dot is on the map at the start cell.
for _ in $(seq 100); do [ "$(dot)" = "503,209" ] && break; sleep 0.1; done
[ "$(dot)" = "503,209" ] || { echo "no dot at the start cell: '$(dot)'"; exit 1; }

# From the start cell the way out is ahead or to the right: the other sides are the outer walls.
# Up is held until the dot moves; else a held key repeats its command every four frames, so taps
# of growing length turn the view by different numbers of quarter turns until forward leads out.
moved=
for attempt in $(seq 12); do
    xdotool keydown Up
    for _ in $(seq 15); do
        [ "$(dot)" != 503,209 ] && moved=$(dot) && break
        sleep 0.1
    done
    xdotool keyup Up
    [ -z "$moved" ] || break
    xdotool keydown Right
    sleep "0.0$((attempt % 9 + 1))"
    xdotool keyup Right
    sleep 0.4
done
[ -n "$moved" ] || { echo "Up did not move the dot"; exit 1; }
echo "the dot moved from 503,209 to $moved"
# Held long enough to be taken once the last step ends: from any heading, one to five quarter
# turns end away from 0 (four from 0 end at 360).
xdotool keydown Right
sleep 0.3
xdotool keyup Right
sleep 0.5
xdotool key Escape
expect_end Escape
echo "recorded $(stat -c %s "$demo") bytes"

line=$("$replay" --demo "$demo") || { echo "headless playback differs: status $?"; exit 1; }
echo "played back: $line"
case "$line" in *" playerX=0 playerY=-1 "* | *" heading=0 "* | *"quitState=0"*)
    echo "no step or no turn was recorded"; exit 1 ;; esac
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
