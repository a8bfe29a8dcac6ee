#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack, unpacked with dpkg-deb into a scratch
# root, its kirva-replay run from there with the packaged data (not where the build put it). Its
# final state line must match the build tree's, with nothing on standard error.
# Usage: deb_test.sh BUILD_DIR BUILD_TREE_REPLAY
set -euo pipefail
build=$1
replay=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" ||
    fail "cpack: $(cat "$scratch/cpack.log")"
debs=("$scratch"/package/kirva_*_amd64.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no kirva_<version>_amd64.deb"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2 libcairo2 libpango libassimp libfluidsynth; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
dpkg-deb -x "$deb" "$scratch/root"
for file in usr/bin/kirva usr/share/kirva/MASK.BMP usr/share/doc/kirva/copyright; do
    [ -e "$scratch/root/$file" ] || fail "the package lacks /$file"
done
grep -q '^License: Zlib' "$scratch/root/usr/share/doc/kirva/copyright" ||
    fail "the copyright file does not name the zlib licence"

# A walk: forward once the maze is complete, a turn, forward again.
walk=(--frames 90 --key 56:38 --key 64:39 --key 72:38)
expected=$("$replay" "${walk[@]}")
actual=$(SDL_AUDIODRIVER=dummy "$scratch/root/usr/bin/kirva-replay" "${walk[@]}" 2>"$scratch/stderr")
[ "$actual" = "$expected" ] && [ ! -s "$scratch/stderr" ] ||
    fail "the packaged kirva-replay says '$actual', expected '$expected'; $(cat "$scratch/stderr")"
echo "the package replays as the build tree does: $actual"
