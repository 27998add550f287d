#!/usr/bin/env bash
# The factory program's song, rendered by rimbadrums-tool as ./run does, is as long as its
# chain, neither silent nor clipped; its MIDI export plays the factory kit's keys. The render is
# measured with sox and the MIDI file read with Python's mido, not with the instrument's code.
set -euo pipefail
tool=$1
library=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
program="$library/Programs/RimbaRand.fxp"

tempo=$("$tool" program "$program" | sed -n 's/.*, tempo: \([0-9]*\)$/\1/p')
[ -n "$tempo" ] || { echo "no tempo in the program's summary"; exit 1; }
steps=$("$tool" program "$program" | awk '/^  pattern .*chained$/ { sum += $3 } END { print sum }')
[ "$steps" -eq 512 ] || { echo "the chain holds $steps steps"; exit 1; }

"$tool" render --program "$program" --library "$library" --chain --tempo "$tempo" --out "$work/demo.wav"
"$tool" midi --patterns "$library/Patterns/Rimbastyle.ptn" --chain --out "$work/demo.mid" >/dev/null

frames=$(soxi -s "$work/demo.wav")
expected=$((44100 * 60 * steps / 4 / tempo))
[ "$frames" -eq "$expected" ] || { echo "render of $frames frames, expected $expected"; exit 1; }
[ "$(soxi -c "$work/demo.wav")" -eq 2 ]

stats=$(sox "$work/demo.wav" -n stats 2>&1)
peak=$(echo "$stats" | awk '/^Pk lev dB/ { print $4 }')
rms=$(echo "$stats" | awk '/^RMS lev dB/ { print $4 }')
echo "demo: $frames frames at $tempo BPM, peak $peak dBFS, RMS $rms dBFS"
awk -v peak="$peak" 'BEGIN { exit !(peak >= -12 && peak <= -0.5) }' || { echo "peak $peak dBFS is out of range"; exit 1; }
awk -v rms="$rms" 'BEGIN { exit !(rms > -30) }' || { echo "RMS $rms dBFS: the song is nearly silent"; exit 1; }

# No two-bar stretch of the song is silent: every pattern of the chain is heard.
seconds_per_pattern=$(awk -v tempo="$tempo" 'BEGIN { print 32 * 15 / tempo }')
for pattern in $(seq 0 15); do
    start=$(awk -v p="$pattern" -v s="$seconds_per_pattern" 'BEGIN { print p * s }')
    level=$(sox "$work/demo.wav" -n trim "$start" "$seconds_per_pattern" stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
    awk -v level="$level" 'BEGIN { exit !(level > -30) }' || { echo "pattern $pattern peaks at $level dBFS"; exit 1; }
done

/usr/bin/python3 - "$work/demo.mid" <<'PY'
import sys, mido
song = mido.MidiFile(sys.argv[1])
notes = [m for track in song.tracks for m in track if m.type == "note_on" and m.velocity > 0]
keys = {m.note for m in notes}
assert len(notes) > 300, len(notes)
assert keys <= set(range(36, 48)), sorted(keys)
assert {36, 37, 40, 41} <= keys, sorted(keys)  # kick, snare, closed and open hat
ticks = sum(m.time for m in song.tracks[0])
assert ticks >= 24 * 480, ticks  # the notes reach the last pattern of the 512-step chain
print("demo.mid: %d notes on keys %s" % (len(notes), sorted(keys)))
PY
