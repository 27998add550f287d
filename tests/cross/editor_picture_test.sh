#!/usr/bin/env bash
# The editor as each system draws it, off screen, for the factory program: cairo in the Linux
# rimbadrums-tool, GDI+ in the Windows rimbadrums-tool.exe (under Wine). The pictures must have
# the same size and differ only as two text and shape antialiasers do: few pixels apart by more
# than a small step, and a small mean difference over the whole window.
# usage: editor_picture_test.sh LINUX-TOOL WINDOWS-TOOL.exe [KEEP-FOLDER]
set -euo pipefail
linux_tool=$1
windows_tool=$2
work=$(mktemp -d)
keep=${3:-}
trap 'rm -rf "$work"' EXIT

for tracks in 12 8; do
    "$linux_tool" editor --tracks "$tracks" --screenshot "$work/linux-$tracks.png"
    wine "$windows_tool" editor --tracks "$tracks" --screenshot "$work/windows-$tracks.png"
    for system in linux windows; do
        identify -format '%w %h\n' "$work/$system-$tracks.png" >"$work/$system-$tracks.size"
        convert "$work/$system-$tracks.png" -depth 8 "rgb:$work/$system-$tracks.rgb"
    done
    if [ -n "$keep" ]; then
        mkdir -p "$keep"
        cp "$work"/*-"$tracks".png "$keep"/
        compare "$work/linux-$tracks.png" "$work/windows-$tracks.png" "$keep/difference-$tracks.png" || true
    fi
done

/usr/bin/python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
# A pixel counts as apart when one of its channels differs by more than this (of 255).
STEP = 48
# Text makes up a few per cent of the window; its glyphs' edges are where two antialiasers
# disagree. Shapes and bitmaps must match to within a step.
MOST_APART = 0.03
MOST_MEAN = 2.0
failed = False
for tracks in (12, 8):
    sizes = [open(f"{work}/{system}-{tracks}.size").read().split() for system in ("linux", "windows")]
    if sizes[0] != sizes[1]:
        print(f"{tracks} tracks: Linux draws {sizes[0]}, Windows {sizes[1]}")
        failed = True
        continue
    a = open(f"{work}/linux-{tracks}.rgb", "rb").read()
    b = open(f"{work}/windows-{tracks}.rgb", "rb").read()
    pixels = len(a) // 3
    apart = 0
    total = 0
    for i in range(pixels):
        d = max(abs(a[3 * i] - b[3 * i]), abs(a[3 * i + 1] - b[3 * i + 1]), abs(a[3 * i + 2] - b[3 * i + 2]))
        total += d
        if d > STEP:
            apart += 1
    share = apart / pixels
    mean = total / pixels
    print(f"{tracks} tracks ({sizes[0][0]} x {sizes[0][1]}): {share:.2%} of the pixels apart by more than "
          f"{STEP}, mean difference {mean:.2f}")
    if share > MOST_APART or mean > MOST_MEAN:
        failed = True
sys.exit(1 if failed else 0)
PY
