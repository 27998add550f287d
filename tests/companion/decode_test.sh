#!/usr/bin/env bash
# `rimbadrums-tool decode` on files it has never seen, made by sox, against the conversion rules
# computed here from sox's own decoding of the same files.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The tool builds the instrument as a host would: give it a settings store and library of its own.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
python=/usr/bin/python3

check() {  # name, sox format options, rule
    local name=$1 options=$2 rule=$3
    sox -R -n $options "$work/$name" synth 0.05 noise vol 0.9
    "$tool" decode "$work/$name" --raw "$work/$name.raw" >"$work/$name.txt"
    sox "$work/$name" -t raw -e signed -b 32 "$work/$name.s32"
    sox "$work/$name" -t raw -e float -b 32 "$work/$name.f32"
    $python - "$work/$name" "$rule" <<'PY'
import array, sys, struct
base, rule = sys.argv[1], sys.argv[2]
info = open(base + ".txt").read().split()
frames = int(info[0].split("=")[1]); rate = float(info[1].split("=")[1])
got = array.array("h"); got.frombytes(open(base + ".raw", "rb").read())
s32 = array.array("i"); s32.frombytes(open(base + ".s32", "rb").read())
f32 = array.array("f"); f32.frombytes(open(base + ".f32", "rb").read())
channels = 2 if "stereo" in rule else 1
def clamp(x): return max(-1.0, min(1.0, x))
def trunc(x): return int(x)
def f(x): return struct.unpack("f", struct.pack("f", x))[0]
expected = []
for i in range(len(s32) // channels):
    ch = [s32[i * channels + c] >> 16 for c in range(channels)]
    if rule == "mono16" or rule == "mono24":
        expected.append(ch[0])
    elif rule in ("stereo16", "stereo24"):
        expected.append(trunc(f(clamp(f(ch[0] * (1 / 65536)) + f(ch[1] * (1 / 65536))) * 32767.5)))
    elif rule == "monofloat":
        expected.append(trunc(f(clamp(f32[i]) * 32767.5)))
    elif rule == "stereofloat":
        expected.append(trunc(f(clamp(f(f32[2 * i] + f32[2 * i + 1])) * 16383.5)))
assert frames == len(expected) == len(got), (frames, len(expected), len(got))
bad = [i for i in range(frames) if got[i] != expected[i]]
assert not bad, "first mismatch at %d: %d != %d" % (bad[0], got[bad[0]], expected[bad[0]])
print("%s: %d frames at %g Hz agree" % (base.split("/")[-1], frames, rate))
PY
}

check m16.wav "-r 44100 -b 16 -c 1" mono16
check s16.wav "-r 48000 -b 16 -c 2" stereo16
check m24.wav "-r 96000 -b 24 -c 1" mono24
check s24.wav "-r 22050 -b 24 -c 2" stereo24
check mf.wav "-r 44100 -e float -b 32 -c 1" monofloat
check sf.wav "-r 48000 -e float -b 32 -c 2" stereofloat
check m16.aiff "-r 44100 -b 16 -c 1" mono16

# Files the sound loader refuses, made here byte by byte: each is refused with status 1 and the
# loader's reason, and no samples are written.
$python - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
open(work + "/text.wav", "wb").write(b"these are not the bytes of a sound\n")
# RIFF and WAVE, then a data chunk with no format chunk before it.
data = struct.pack("<4h", 1, 2, 3, 4)
open(work + "/noformat.wav", "wb").write(b"RIFF" + struct.pack("<I", 4 + 8 + len(data)) + b"WAVE" + b"data" +
                                        struct.pack("<I", len(data)) + data)
# A whole 16-bit WAV file, named as an AIFF file.
fmt = struct.pack("<HHIIHH", 1, 1, 44100, 88200, 2, 16)
open(work + "/wave.aiff", "wb").write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE" +
                                     b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" +
                                     struct.pack("<I", len(data)) + data)
open(work + "/sound.mp3", "wb").write(b"ID3")
PY
refused() {  # file, the reason the loader gives
    local file=$1 reason=$2 status=0
    "$tool" decode "$work/$file" --raw "$work/refused.raw" >"$work/refused.out" 2>"$work/refused.err" || status=$?
    [ "$status" -eq 1 ] || { echo "$file: status $status, not 1"; exit 1; }
    grep -qxF "rimbadrums-tool: the sound is refused: $reason" "$work/refused.err" ||
        { echo "$file: unclear message: $(cat "$work/refused.err")"; exit 1; }
    [ ! -s "$work/refused.out" ] && [ ! -e "$work/refused.raw" ] || { echo "$file: a refused sound was decoded"; exit 1; }
}
refused text.wav "\"$work/text.wav\" is no WAV file"
refused noformat.wav "\"$work/noformat.wav\" is no WAV file"
refused wave.aiff "\"$work/wave.aiff\" is no AIFF file"
refused sound.mp3 "\"$work/sound.mp3\" is no WAV or AIFF file name"
refused none.wav "cannot read \"$work/none.wav\""
echo "decode agrees with the conversion rules"
