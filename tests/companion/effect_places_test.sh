#!/usr/bin/env bash
# `rimbadrums-tool render --program` on program files, made here from the documented layout, that
# name an effect library: one outside the effects folder and the standard plug-in folders (by
# its path, by a name relative to the effects folder that climbs out of it, or by a link in the
# effects folder that leads out) is never opened, and the refusal is on standard error; the
# same library inside the effects folder loads. fixture-marker creates the file
# $RIMBA_FIXTURE_MARKER the moment its library is loaded, before any entry point is called.
set -euo pipefail
tool=$1
fixtures=$2
extension=$3
work=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
unset VST_PATH LXVST_PATH
# With no EffectPath stored and no $VST_PATH, the effects folder is ~/.vst/.
effects="$HOME/.vst"
export RIMBA_FIXTURE_MARKER="$work/marker.txt"
library="fixture-marker$extension"
mkdir -p "$effects" "$work/elsewhere"
cp "$fixtures/$library" "$work/elsewhere/$library"
ln -s "$work/elsewhere/$library" "$effects/link$extension"

program() {  # file, the library path the program stores for send 1
    /usr/bin/python3 - "$1" "$2" <<'PY'
import struct, sys
out, path = sys.argv[1], sys.argv[2].encode()
tracks, track_bytes, header = 8, 3580, 64
tail_at = header + tracks * track_bytes
state = b"Unity".ljust(32, b"\0") + struct.pack(">f", 0.5)  # one program of one parameter
block = bytearray(tail_at + 1448) + state
struct.pack_into("<iI", block, 0, len(block), 1475)
struct.pack_into(">I", block, 8, 1475)
struct.pack_into("<i", block, 12, tracks)
block[32:36] = b"1.49"
struct.pack_into("<16i", block, tail_at, *([16] * 16))
struct.pack_into("<4i", block, tail_at + 140, 0, 0, 1, 120)
struct.pack_into("<i", block, tail_at + 156, 1)                 # send 1 on
struct.pack_into("<ii", block, tail_at + 256, len(state), 0)    # its state and program
block[tail_at + 424:tail_at + 424 + len(path)] = path
fxp = bytearray(b"CcnK") + struct.pack(">i", len(block) + 52) + b"FPCh"
fxp += struct.pack(">iiii", 1, 0x3931356B, 1, 1) + b"Effect".ljust(28, b"\0") + struct.pack(">i", len(block))
open(out, "wb").write(fxp + block)
PY
}

for named in "$work/elsewhere/$library" "../../elsewhere/$library" "link$extension"; do
    program "$work/named.fxp" "$named"
    "$tool" render --program "$work/named.fxp" --take "$work/taken.fxp" --out "$work/named.wav" 2>"$work/named.err" ||
        { echo "$named: the program was not rendered: $(cat "$work/named.err")"; exit 1; }
    [ ! -e "$RIMBA_FIXTURE_MARKER" ] || { echo "$named: the library was loaded"; exit 1; }
    grep -qF "the effect library is refused: " "$work/named.err" &&
        grep -qF "outside the effects folder and the standard plug-in folders (it is $work/elsewhere/$library)" \
            "$work/named.err" || { echo "$named: no refusal on standard error: $(cat "$work/named.err")"; exit 1; }
    "$tool" program "$work/taken.fxp" | grep -qx 'effect send 1 (on): empty' ||
        { echo "$named: the slot is not empty"; exit 1; }
done

cp "$fixtures/$library" "$effects/$library"
program "$work/inside.fxp" "$library"
"$tool" render --program "$work/inside.fxp" --take "$work/taken.fxp" --out "$work/inside.wav" 2>"$work/inside.err"
[ -e "$RIMBA_FIXTURE_MARKER" ] || { echo "the library in the effects folder was not loaded"; exit 1; }
[ ! -s "$work/inside.err" ] || { echo "a library in the effects folder was refused: $(cat "$work/inside.err")"; exit 1; }
"$tool" program "$work/taken.fxp" | grep -qxF "effect send 1 (on): \"$library\", state 36 bytes, program 0" ||
    { echo "the taken program does not name the library: $("$tool" program "$work/taken.fxp" | grep '^effect')"; exit 1; }
echo "effect places: libraries outside the plug-in folders refused unopened, the one inside loaded"
