#!/usr/bin/env bash
# `rimbadrums-tool effect PLUGIN --editor-screenshot F.png` on an X server of its own: Debian's
# MVerb and ZamEQ2 opened from send 1 give a picture of their editor's size plus the 30-pixel
# program bar, with far more colours than an empty window (the plug-in drew in it), as
# ImageMagick's identify reads it; a library that is no plug-in is refused with status 1.
set -euo pipefail
tool=$1
xvfb=$(dirname "$0")/../support/with-xvfb.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

for plugin in /usr/lib/vst/MVerb-vst.so /usr/lib/vst/ZamEQ2-vst.so; do
    [ -f "$plugin" ] || { echo "$plugin is missing: scripts/install-deps.sh installs it"; exit 1; }
    picture="$work/$(basename "$plugin" .so).png"
    "$xvfb" "$tool" effect "$plugin" --editor-screenshot "$picture" --idle-ms 500 >"$work/out.txt"
    read -r width height < <(sed -n 's/^editor: \([0-9]*\) x \([0-9]*\)$/\1 \2/p' "$work/out.txt")
    [ -n "${width:-}" ] || { echo "$plugin: no editor size in:"; cat "$work/out.txt"; exit 1; }
    expected="$((width > 270 ? width : 270))x$((height + 30))"
    size=$(identify -format '%wx%h' "$picture")
    [ "$size" = "$expected" ] || { echo "$plugin: picture of $size, expected $expected"; exit 1; }
    colours=$(identify -format '%k' "$picture")
    [ "$colours" -ge 200 ] || { echo "$plugin: only $colours colours in the picture"; exit 1; }
done

status=0
"$xvfb" "$tool" effect /etc/hostname --editor-screenshot "$work/none.png" >"$work/out.txt" || status=$?
[ "$status" -eq 1 ] && grep -q '^refused: ' "$work/out.txt" || { echo "no plug-in: status $status"; cat "$work/out.txt"; exit 1; }
[ ! -e "$work/none.png" ] || { echo "no plug-in: a picture was written"; exit 1; }
echo "pictures of both editors with their bars"
