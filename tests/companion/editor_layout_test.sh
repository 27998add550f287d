#!/usr/bin/env bash
# `rimbadrums-tool editor` for 8 and 12 tracks: every control the editor's shared header names
# (plugin/editor/EditorViews.h) is placed once, every track strip is whole, every view lies inside
# the window and no two shown views overlap; the screenshot has the window's size, as
# ImageMagick's identify reads it.
set -euo pipefail
tool=$1
header=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An instrument of the tool's own: the user's settings and library stay untouched.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

for tracks in 8 12; do
    height=$([ "$tracks" -eq 8 ] && echo 642 || echo 850)
    "$tool" editor --layout --tracks "$tracks" --screenshot "$work/editor.png" >"$work/layout.txt"
    size=$(identify -format '%wx%h' "$work/editor.png")
    [ "$size" = "1005x$height" ] || { echo "$tracks tracks: screenshot of $size"; exit 1; }
    /usr/bin/python3 - "$work/layout.txt" "$header" "$tracks" "$height" <<'PY'
import re, sys
layout, header, tracks, height = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
views = []
for line in open(layout):
    words = line.split()
    assert len(words) in (6, 7) and (len(words) == 6 or words[6] == "hidden"), "bad line: " + line
    views.append((int(words[0]), words[1], *map(int, words[2:6]), len(words) == 7))
problems = []
text = open(header).read()
fixed = {int(n) for name, n in re.findall(r"constexpr long (k\w+) = (\d+);", text)
         if name not in ("kFirstStripTag", "kLastStripTag")}
# The effect slots are named by the first of their four tags.
first_slot = int(re.search(r"kFirstEffectSlot = (\d+);", text).group(1))
fixed |= set(range(first_slot, first_slot + 4))
kinds = {int(n) for n in re.findall(r"constexpr int k\w+Kind = (\d+);", text)}
assert len(fixed) > 50 and len(kinds) == 18, "the header's tags were not read"
tags = [v[0] for v in views if v[0] >= 0]
for tag in sorted(fixed):
    if tags.count(tag) != 1:
        problems.append("fixed tag %d placed %d times" % (tag, tags.count(tag)))
for track in range(16):
    for kind in kinds:
        tag = 8192 + 32 * track + kind
        expected = 1 if track < tracks else 0
        if tags.count(tag) != expected:
            problems.append("track %d kind %d placed %d times" % (track, kind, tags.count(tag)))
unknown = set(tags) - fixed - {8192 + 32 * t + k for t in range(tracks) for k in kinds}
if unknown:
    problems.append("tags nobody names: %s" % sorted(unknown))
if sum(1 for v in views if v[1] == "CVornProgressBar" and v[0] == -1 and v[6]) != 1:
    problems.append("no hidden progress bar")
for tag, name, left, top, right, bottom, hidden in views:
    # The value readout has no place until it shows beside a control.
    if hidden and name == "CValueReadout" and left == right and top == bottom:
        continue
    if not (0 <= left < right <= 1005 and 0 <= top < bottom <= height):
        problems.append("%d %s at %d %d %d %d lies outside the %dx%d window" % (tag, name, left, top, right, bottom, 1005, height))
shown = [v for v in views if not v[6]]
for i, a in enumerate(shown):
    for b in shown[i + 1:]:
        if max(a[2], b[2]) < min(a[4], b[4]) and max(a[3], b[3]) < min(a[5], b[5]):
            problems.append("%d %s %s overlaps %d %s %s" % (a[0], a[1], a[2:6], b[0], b[1], b[2:6]))
if problems:
    print("\n".join(problems))
    sys.exit(1)
print("%d tracks: %d views, %d shown, none overlapping" % (tracks, len(views), len(shown)))
PY
done
