#!/usr/bin/env bash
# kirva's own options: --help and --version answer and exit 0, an unknown option is refused with
# status 2; none of them opens a window (one would keep the game running into the time limit).
# Without any display the program says so in one line and exits with status 1 at once, instead
# of running unseen.
set -uo pipefail
kirva=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
run() { timeout 20 "$kirva" "$@" >"$work/out" 2>"$work/err"; }
fail() { echo "$1"; cat "$work/out" "$work/err"; exit 1; }

run --help || fail "--help gave status $?"
for word in --window --help --version Left Right Up Escape; do
    grep -q -- "$word" "$work/out" || fail "--help does not name $word"
done
[ ! -s "$work/err" ] || fail "--help wrote to standard error"

run --version || fail "--version gave status $?"
[ "$(cat "$work/out")" = "kirva $version" ] || fail "--version does not say kirva $version"

run --window --fly
status=$?
[ "$status" = 2 ] || fail "an unknown option gave status $status"
[ ! -s "$work/out" ] || fail "an unknown option wrote to standard output"
grep -q -- "--fly" "$work/err" && grep -q "^usage: kirva" "$work/err" || fail "no usage on standard error"

env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$kirva" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] && [ "$(wc -l <"$work/err")" = 1 ] || fail "without a display: status $status"
grep -q 'no display could be opened' "$work/err" || fail "without a display, unexpected words"
echo "options as expected; without a display: $(cat "$work/err"), status 1"
