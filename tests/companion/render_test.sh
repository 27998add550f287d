#!/usr/bin/env bash
# `rimbadrums-tool program` and `rimbadrums-tool render` on a program file made here, field by
# field, from the documented layout of the program chunk and of ".fxp" files. The rendered WAV
# files are read back with Python's own wave module.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
library="$XDG_DATA_HOME/VORN Studio/Rimba Drums"
mkdir -p "$library/Samples"

$python - "$work" "$library" <<'PY'
import struct, sys, wave
work, library = sys.argv[1], sys.argv[2]

# A kick of 9000 frames that decays to nothing, never 0 in its first frames.
kick = [int(12000 * (1 - i / 9000)) * (1 if i % 2 else -1) for i in range(9000)]
with wave.open(library + "/Samples/kick.wav", "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(struct.pack("<%dh" % len(kick), *kick))

tracks, track_bytes, header = 8, 3580, 64
tail_at = header + tracks * track_bytes
block = bytearray(tail_at + 1448)
struct.pack_into("<iI", block, 0, len(block), 1475)
struct.pack_into(">I", block, 8, 1475)
struct.pack_into("<i", block, 12, tracks)
block[32:36] = b"1.49"
reset = [0.869176, 0.5, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, -1, 0, 0, -1, 0, 0, 0, 0,
         0.2407676, 0.707, 0, 0.4815352, 0.707, 0, 0.6889311, 0.707, 0, 0.5, 0, 0]
for t in range(tracks):
    at = header + t * track_bytes
    for p in range(16):
        struct.pack_into("<bbb", block, at + 256 + 3 * p, -1, -1, 0)
    for n in range(12):
        block[at + 304 + n] = 1
    for s in range(64):
        for p in range(16):
            block[at + 316 + 48 * s + 16 + p] = 1   # hold 1
    struct.pack_into("<32f", block, at + 3388, *reset)
kick_track = header
block[kick_track:kick_track + 17] = b"\\Samples\\kick.wav"
struct.pack_into("<f", block, kick_track + 3388, 0.8)
def hit(pattern, step, velocity):
    block[kick_track + 316 + 48 * step + pattern] = velocity
for step in (0, 4, 8, 12):
    hit(0, step, 127)
for step in (0, 20):
    hit(3, step, 100)
steps = [16] * 16
steps[3] = 32
struct.pack_into("<16i", block, tail_at, *steps)
chain = [0] * 16
chain[0] = chain[3] = 1
struct.pack_into("<16i", block, tail_at + 64, *chain)
struct.pack_into("<7i", block, tail_at + 128, 0, 0, 0, 0, 0, 1, 120)  # pattern 0, repeat
struct.pack_into("<4i", block, tail_at + 172, 0, -1, 0, 64)
struct.pack_into("<10f", block, tail_at + 296, 0, 0.2407676, 0.707, 0, 0.4815352, 0.707, 0,
                 0.6889311, 0.707, 0)

fxp = bytearray(b"CcnK")
fxp += struct.pack(">i", len(block) + 52) + b"FPCh" + struct.pack(">iiii", 1, 0x3931356B, 1, 1)
fxp += b"Render Test".ljust(28, b"\0") + struct.pack(">i", len(block)) + block
open(work + "/beat.fxp", "wb").write(fxp)
open(work + "/broken.fxp", "wb").write(fxp[:len(fxp) - 10])

# The same program stamped with version 1500, newer than any this instrument reads.
newer = bytearray(block)
struct.pack_into("<i", newer, 4, 1500)
struct.pack_into(">i", newer, 8, 1500)
fxp = bytearray(b"CcnK")
fxp += struct.pack(">i", len(newer) + 52) + b"FPCh" + struct.pack(">iiii", 1, 0x3931356B, 1, 1)
fxp += b"Newer".ljust(28, b"\0") + struct.pack(">i", len(newer)) + newer
open(work + "/newer.fxp", "wb").write(fxp)

# A block of exactly 256 bytes names a host's sample export folder: no program file may carry it.
folder = (work + "/exported").encode().ljust(256, b"\0")
fxp = bytearray(b"CcnK") + struct.pack(">i", 256 + 52) + b"FPCh" + struct.pack(">iiii", 1, 0x3931356B, 1, 1)
fxp += b"Export Folder".ljust(28, b"\0") + struct.pack(">i", 256) + folder
open(work + "/export.fxp", "wb").write(fxp)
PY

"$tool" program "$work/beat.fxp" >"$work/summary.txt"
grep -q '^form: current (1451 to 1480), version 1475$' "$work/summary.txt"
grep -q '^tracks: 8$' "$work/summary.txt"
grep -qF 'track  1: level 0.8000 sound "\Samples\kick.wav"' "$work/summary.txt"
grep -q '^  pattern  0: 16 steps,   4 hits, chained$' "$work/summary.txt"
grep -q '^  pattern  3: 32 steps,   2 hits, chained$' "$work/summary.txt"
grep -q '^effect send 1 (off): empty$' "$work/summary.txt"

"$tool" render --program "$work/beat.fxp" --pattern 0 --out "$work/one.wav"
"$tool" render --program "$work/beat.fxp" --pattern 3 --tempo 90 --rate 48000 --out "$work/three.wav"
"$tool" render --program "$work/beat.fxp" --chain --tempo 100 --rate 48000 --out "$work/chain.wav"
"$tool" render --program "$work/beat.fxp" --out "$work/own.wav"
# The largest tempo and rate the tool takes, and the last pattern.
"$tool" render --program "$work/beat.fxp" --pattern 15 --tempo 1000 --rate 384000 --out "$work/edge.wav"
if "$tool" render --program "$work/broken.fxp" --out "$work/broken.wav" 2>/dev/null; then
    echo "a program cut short was rendered"; exit 1
fi
if "$tool" render --program "$work/beat.fxp" --pattern 16 --out "$work/x.wav" 2>/dev/null; then
    echo "pattern 16 was accepted"; exit 1
fi
[ ! -e "$work/broken.wav" ]

# A refused program says why, with status 1, and writes nothing.
newer_reason="version 1500 is newer than 1480, the newest this instrument reads"
status=0
"$tool" program "$work/newer.fxp" >"$work/newer.txt" 2>"$work/newer.err" || status=$?
[ "$status" -eq 1 ] && [ ! -s "$work/newer.txt" ] ||
    { echo "a program of version 1500 was described (status $status)"; exit 1; }
grep -qxF "rimbadrums-tool: the program in $work/newer.fxp is refused: $newer_reason" "$work/newer.err" ||
    { echo "unclear message: $(cat "$work/newer.err")"; exit 1; }
status=0
"$tool" render --program "$work/newer.fxp" --take "$work/newer-take.fxp" --out "$work/newer.wav" \
    2>"$work/newer.err" || status=$?
[ "$status" -eq 1 ] || { echo "a program of version 1500 was rendered (status $status)"; exit 1; }
grep -qxF "rimbadrums-tool: the program is refused: $work/newer.fxp: $newer_reason" "$work/newer.err" ||
    { echo "unclear message: $(cat "$work/newer.err")"; exit 1; }
[ ! -e "$work/newer.wav" ] && [ ! -e "$work/newer-take.fxp" ] || { echo "a refused program wrote files"; exit 1; }
status=0
"$tool" render --program "$work/broken.fxp" --out "$work/broken.wav" 2>"$work/broken.err" || status=$?
[ "$status" -eq 1 ] && grep -qF "the program's block runs past the end of the file" "$work/broken.err" ||
    { echo "a program cut short: status $status, $(cat "$work/broken.err")"; exit 1; }

mkdir -p "$work/exported"
if message=$("$tool" program "$work/export.fxp" 2>&1); then
    echo "a program file of the export folder's size was described"; exit 1
fi
[[ "$message" == *"not a program file"* ]] || { echo "unclear message: $message"; exit 1; }
if message=$("$tool" render --program "$work/export.fxp" --take "$work/take.fxp" --out "$work/export.wav" 2>&1); then
    echo "a program file of the export folder's size was rendered"; exit 1
fi
[[ "$message" == *"No Compatible File"* ]] || { echo "unclear message: $message"; exit 1; }
[ ! -e "$work/export.wav" ] && [ ! -e "$work/take.fxp" ] && [ -z "$(ls -A "$work/exported")" ] ||
    { echo "a refused program file wrote files"; exit 1; }

$python - "$work" <<'PY'
import array, sys, wave
work = sys.argv[1]

def frames_of(name, rate, tempo, steps):
    with wave.open(work + "/" + name) as w:
        assert w.getnchannels() == 2 and w.getsampwidth() == 2, name
        assert w.getframerate() == rate, (name, w.getframerate())
        samples = array.array("h", w.readframes(w.getnframes()))
    expected = int(rate * 60 * steps / 4 / tempo)
    assert len(samples) == 2 * expected, (name, len(samples) // 2, expected)
    return samples

one = frames_of("one.wav", 44100, 120, 16)
frames_of("own.wav", 44100, 120, 16)
frames_of("edge.wav", 384000, 1000, 16)
frames_of("three.wav", 48000, 90, 32)
chain = frames_of("chain.wav", 48000, 100, 16 + 32)[0::2]

# The hits of pattern 0 fall every 4 steps of 5512.5 frames: sound right after each, silence
# between the end of one kick (9000 frames) and the next.
left = one[0::2]
for hit in (0, 22050, 44100, 66150):
    assert any(left[hit:hit + 200]), "no sound after frame %d" % hit
    if hit:
        assert not any(left[hit - 12000:hit - 10]), "sound before frame %d" % hit
# The chain plays pattern 0 whole and then pattern 3 whole from its first step: kicks at song
# steps 0, 4, 8, 12, 16 and 36 (7200 frames a step), and nothing where pattern 3's step 20 would
# fall had it been entered part way.
for step in (0, 4, 8, 12, 16, 36):
    assert any(chain[step * 7200:step * 7200 + 200]), "no kick at song step %d" % step
assert not any(chain[16 * 7200 + 11000:36 * 7200 - 10]), "pattern 3 did not start at its first step"
print("render: lengths and hit positions agree")
PY
