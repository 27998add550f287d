#!/usr/bin/env bash
# `rimbadrums-tool kit` on kit files written here by Python from the format's tables: a current
# kit of three records after a synth state, a 2560-byte oldest kit, and refused ones (a file
# whose size field lies, a header that counts 17 tracks, a file too short for any form), each
# with the reason it is refused.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The tool builds the instrument as a host would: give it a settings store and library of its own.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

/usr/bin/python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
positions = [0,1,2,3,4,5,6,7,8,9,10,11,13,14,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31]
def record(path, values, scale):
    floats = [values.get(p, 0.0) for p in positions]
    return path.encode().ljust(256, b"\0") + struct.pack("<29f", *floats) + bytes(12) + struct.pack("<12i", *scale)
records = [record("\\Samples\\kick.wav", {0: 0.75, 4: -5.0}, [1]*12),
           record("/abs/snare.aif", {1: 0.25, 28: 0.5}, [1,0]*6),
           record("", {}, [0]*12)]
state = b"SYNTHSTATE"
body = state + b"".join(records)
size = 32 + len(body)
open(work + "/current.drs", "wb").write(struct.pack("<iii", size, 3, 1480) + struct.pack(">i", 1480) + bytes(16) + body)
oldest = b"".join(b"\\Samples\\hat.wav".ljust(256, b"\0") + struct.pack("<16f", *([0.5] * 4 + [0.75] + [0.0] * 11)) for _ in range(8))
open(work + "/oldest.drs", "wb").write(oldest)
open(work + "/liar.drs", "wb").write(struct.pack("<iii", size + 1, 3, 1480) + struct.pack(">i", 1480) + bytes(16) + body)
# Seventeen whole records, honestly sized: only the count is beyond the instrument's 16 tracks.
many = b"".join(record("\\Samples\\kick.wav", {0: 0.5}, [1]*12) for _ in range(17))
body = state + many
open(work + "/seventeen.drs", "wb").write(struct.pack("<iii", 32 + len(body), 17, 1480) + struct.pack(">i", 1480) +
                                          bytes(16) + body)
open(work + "/short.drs", "wb").write(b"KIT")
PY

"$tool" kit "$work/current.drs" >"$work/current.txt"
grep -qx "form: current" "$work/current.txt"
grep -qx "records: 3" "$work/current.txt"
grep -qx "drum synth state: 10 bytes" "$work/current.txt"
grep -q 'track  1: sound "\\Samples\\kick.wav"' "$work/current.txt"
grep -q "level 0.75 .*tune -5 " "$work/current.txt"
grep -q 'track  2: sound "/abs/snare.aif"' "$work/current.txt"
grep -q "eqHighGain 0.5" "$work/current.txt"
grep -q "scale notes 1 0 1 0 1 0 1 0 1 0 1 0" "$work/current.txt"
grep -q 'track  3: sound ""' "$work/current.txt"

"$tool" kit "$work/oldest.drs" >"$work/oldest.txt"
grep -qx "form: oldest" "$work/oldest.txt"
grep -qx "records: 8" "$work/oldest.txt"
# 0.75 of the oldest form's tune range is +6 semitones.
grep -q "tune 6 " "$work/oldest.txt"

refused() {  # file, the reason the tool must give
    local file=$1 reason=$2 status=0
    "$tool" kit "$work/$file" >"$work/refused.out" 2>"$work/refused.err" || status=$?
    [ "$status" -eq 1 ] || { echo "$file: status $status, not 1"; exit 1; }
    grep -qxF "rimbadrums-tool: $work/$file is not a kit the instrument reads: $reason" "$work/refused.err" ||
        { echo "$file: unclear message: $(cat "$work/refused.err")"; exit 1; }
    [ ! -s "$work/refused.out" ] || { echo "$file: a refused kit was described"; exit 1; }
}
refused liar.drs "the kit says it holds 1339 bytes but the file holds 1338 bytes"
refused seventeen.drs "kit has 17 tracks; 1 to 16 allowed"
refused short.drs "a file of 3 bytes is too short to be a kit"
status=0
"$tool" kit "$work/none.drs" >/dev/null 2>"$work/none.err" || status=$?
[ "$status" -eq 1 ] && grep -qxF "rimbadrums-tool: $work/none.drs: cannot read the file" "$work/none.err"
status=0
"$tool" kit >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ]
echo "kit command: all checks passed"
