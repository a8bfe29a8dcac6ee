#!/usr/bin/env bash
# An outside project against the installed KIRVA: install the library into a scratch prefix,
# check that no game symbol ships in it, then configure, build and run tests/consumer once
# through the CMake package and once through pkg-config. The run must succeed silently.
# Usage: consumer_test.sh BUILD_DIR CXX_COMPILER
set -euo pipefail
build=$1
compiler=$2
source=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" --component dev >/dev/null
library=$(find "$prefix" -name libkr.a)
[ -n "$library" ] || { echo "FAIL: no libkr.a installed"; exit 1; }
if nm -C "$library" | grep -E 'Maze|DrawBitmapText|mazeScene'; then
    echo "FAIL: the installed libkr.a holds the game's symbols"
    exit 1
fi

status=0
run() {
    local way=$1
    shift
    if ! cmake -S "$source" -B "$scratch/$way" -DCMAKE_CXX_COMPILER="$compiler" "$@" \
        >"$scratch/$way.log" 2>&1 || ! cmake --build "$scratch/$way" >>"$scratch/$way.log" 2>&1; then
        cat "$scratch/$way.log"
        echo "FAIL: building the consumer through $way"
        status=1
        return
    fi
    mkdir -p "$scratch/$way-files"
    cp "$source"/data/* "$scratch/$way-files"
    if ! SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$scratch/$way/consumer" "$scratch/$way-files" \
        2>"$scratch/$way.err" || [ -s "$scratch/$way.err" ]; then
        cat "$scratch/$way.err"
        echo "FAIL: the consumer built through $way"
        status=1
    fi
}
run cmake-package -DCMAKE_PREFIX_PATH="$prefix"
PKG_CONFIG_PATH=$(dirname "$library")/pkgconfig run pkg-config -DKR_CONSUMER_PKG_CONFIG=ON
exit $status
