#!/usr/bin/env bash
# Without any display the real program says so in one line on standard error and exits with
# status 1 at once, instead of running unseen.
set -euo pipefail
program=$1
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
    timeout 20 "$program" 2>"$errors" >/dev/null || status=$?
[ "$status" = 1 ] || { echo "status $status"; exit 1; }
[ "$(wc -l <"$errors")" = 1 ] || { echo "not one line:"; cat "$errors"; exit 1; }
grep -q 'no display could be opened' "$errors" || { echo "unexpected: $(cat "$errors")"; exit 1; }
echo "without a display: $(cat "$errors"), status 1"
