#!/usr/bin/env bash
# The installed desktop integration: the menu entry and the AppStream metainfo validate, and the
# icons are PNGs of their theme folder's size.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work" >/dev/null
share=$work/share
desktop-file-validate "$share/applications/org.kirva.Kirva.desktop"
appstreamcli validate --no-net "$share/metainfo/org.kirva.Kirva.metainfo.xml"
icon=$(sed -n 's/^Icon=//p' "$share/applications/org.kirva.Kirva.desktop")
for size in 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x${size}" ] || { echo "bad icon $png"; exit 1; }
done
# The icon is drawn, not blank: the walls, the floor and the player's red.
colours=$(convert "$share/icons/hicolor/256x256/apps/$icon.png" -format '%k' info:)
[ "$colours" -ge 4 ] || { echo "the icon has only $colours colours"; exit 1; }
echo "desktop files valid"
