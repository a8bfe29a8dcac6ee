#!/usr/bin/env bash
# A walk recorded in the real window (keys sent by xdotool) plays back headless to the state line
# it was recorded with; the picture of the last maze frame is the same in the headless playback
# and in a playback in the window; Escape ends a playback early (a different line, status 3);
# damaged demos and a demo that cannot be written are refused in one line with status 2.
set -euo pipefail
kirva=$1 replay=$2
. "$(dirname "$0")/virtual_display.sh"
start_virtual_display 640x480
export KIRVA_QUIET_BOXES=1 SDL_AUDIODRIVER=dummy
demo=$work/walk.demo

# Only right turns and steps: any right turn leaves a heading above 0 for good.
SDL_VIDEODRIVER=x11 "$kirva" --record "$demo" &
pid=$!
wait_for_window
xdotool windowfocus --sync "$window"
for key in Right Up Right Up Up Right Up; do
    xdotool keydown "$key"
    sleep 0.2
    xdotool keyup "$key"
    sleep 0.2
done
xdotool key Escape
status=0
wait $pid || status=$?
pid=
[ "$status" = 0 ] || { echo "recording ended with status $status"; exit 1; }
echo "recorded $(stat -c %s "$demo") bytes"

line=$("$replay" --demo "$demo") || { echo "headless playback differs: status $?"; exit 1; }
echo "played back: $line"
case "$line" in *" heading=0 "* | *"quitState=0"*) echo "no turn was recorded"; exit 1 ;; esac
last=$(echo "$line" | sed 's/^frames=\([0-9]*\) .*/\1/')

"$replay" --demo "$demo" --shot "$last:$work/headless.png" >/dev/null
SDL_VIDEODRIVER=x11 "$kirva" --play "$demo" --shot "$last:$work/window.png" &
pid=$!
status=0
wait $pid || status=$?
pid=
[ "$status" = 0 ] || { echo "playback in the window ended with status $status"; exit 1; }
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
