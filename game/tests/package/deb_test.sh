#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack, unpacked with dpkg-deb into a scratch
# root, its kirva-replay run from there with the packaged data. Its final state line must match
# the build tree's, with nothing on standard error.
# Usage: deb_test.sh BUILD_DIR BUILD_TREE_REPLAY
set -euo pipefail
build=$1
replay=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" ||
    { cat "$scratch/cpack.log"; exit 1; }
debs=("$scratch"/package/kirva_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: no kirva_<version>_amd64.deb"; ls "$scratch/package"; exit 1; }
deb=${debs[0]}

status=0
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2 libcairo2 libpango libassimp libfluidsynth; do
    if [[ $depends != *"$library"* ]]; then
        echo "FAIL: Depends lacks $library: $depends"
        status=1
    fi
done

dpkg-deb -x "$deb" "$scratch/root"
for file in usr/bin/kirva usr/share/kirva/MASK.BMP usr/share/doc/kirva/copyright; do
    [ -e "$scratch/root/$file" ] || { echo "FAIL: the package lacks /$file"; status=1; }
done
grep -q '^License: Zlib' "$scratch/root/usr/share/doc/kirva/copyright" ||
    { echo "FAIL: the copyright file does not name the zlib licence"; status=1; }

# A walk: forward once the maze is complete, a turn, forward again.
walk=(--frames 90 --key 56:38 --key 64:39 --key 72:38)
expected=$("$replay" "${walk[@]}")
actual=$(SDL_AUDIODRIVER=dummy "$scratch/root/usr/bin/kirva-replay" "${walk[@]}" 2>"$scratch/stderr")
if [ "$actual" != "$expected" ] || [ -s "$scratch/stderr" ]; then
    echo "FAIL: the packaged kirva-replay"
    echo "  expected: $expected"
    echo "  actual:   $actual"
    cat "$scratch/stderr"
    status=1
fi
exit $status
