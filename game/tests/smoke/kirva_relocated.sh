#!/usr/bin/env bash
# An installed prefix, moved elsewhere, still finds its data: kirva-replay run from the moved
# prefix reports no missing file and draws the same picture and state as in the build tree.
set -euo pipefail
build=$1
replay=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
installed=$work/moved/bin/kirva-replay
[ -f "$work/moved/share/kirva/BACK.BMP" ] || { echo "no data in share/kirva"; exit 1; }
arguments=(--seed 3 --frames 60 --key 56:39)
expected=$("$replay" "${arguments[@]}" --shot 58:"$work/build.png" 2>/dev/null | tail -n 1)
got=$(cd / && "$installed" "${arguments[@]}" --shot 58:"$work/moved.png" 2>"$work/err" | tail -n 1)
[ ! -s "$work/err" ] || { echo "the moved program says:"; cat "$work/err"; exit 1; }
[ "$got" = "$expected" ] || { echo "state '$got', expected '$expected'"; exit 1; }
differing=$(compare -metric AE "$work/build.png" "$work/moved.png" null: 2>&1 || true)
[ "$differing" = 0 ] || { echo "$differing pixels differ from the build tree's picture"; exit 1; }
echo "moved prefix finds its data: $got"
