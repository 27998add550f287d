#!/usr/bin/env bash
# `rimbadrums-tool render` through real VST 2.4 effects of Debian's packages: a reverb in send 1
# leaves a tail after the last hit of a pattern whose dry render has fallen silent; an equaliser
# in insert 1 with its low band cut takes the low end away and leaves the highs; a reverb in an
# insert neither blows up nor falls silent; a program taken
# with its effects names them and loads them again; a library a slot refuses ends the run. The
# renders are measured with sox, not with the instrument's code.
set -euo pipefail
tool=$1
library=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
program="$library/Programs/RimbaRand.fxp"
reverb=/usr/lib/vst/MVerb-vst.so
equaliser=/usr/lib/vst/3BandEQ-vst.so
for plugin in "$reverb" "$equaliser"; do
    [ -f "$plugin" ] || { echo "$plugin is missing (scripts/install-deps.sh test installs it)"; exit 1; }
done

rms() {  # file, then sox effects to measure through
    local file=$1
    shift
    sox "$file" -n "$@" stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}
peak() {
    local file=$1
    shift
    sox "$file" -n "$@" stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }'
}
check() {  # an awk condition on a and b, the two values, and what it means
    awk -v a="$2" -v b="$3" "BEGIN { exit !($1) }" || { echo "$4 (a=$2, b=$3)"; exit 1; }
}

# Pattern 15 at 60 BPM lasts 8 s and its last sound ends near 5 s: the last 2.5 s of the dry
# render are silent.
sent=(--program "$program" --library "$library" --pattern 15 --tempo 60)
"$tool" render "${sent[@]}" --out "$work/dry.wav"
"$tool" render "${sent[@]}" --effect send1="$reverb" --send-level 1 --out "$work/reverb.wav"
# The program's own send levels are 0: the reverb alone adds nothing.
"$tool" render "${sent[@]}" --effect send1="$reverb" --out "$work/unsent.wav"
"$tool" render "${sent[@]}" --effect send1="$reverb" --send-level 1 --enable send1=off --out "$work/switched-off.wav"

check 'a > 0.05' "$(rms "$work/dry.wav")" 0 "the dry render is nearly silent"
check 'a == 0' "$(peak "$work/dry.wav" trim 5.5)" 0 "the dry render is not silent after 5.5 s"
tail=$(rms "$work/reverb.wav" trim 5.5 1)
check 'a > 0.0003' "$tail" 0 "the reverb leaves no tail after the last hit"
check 'a == 0 && b == 0' "$(peak "$work/unsent.wav" trim 5.5)" "$(peak "$work/switched-off.wav" trim 5.5)" \
    "a tail without any send, or from a send switched off"
cmp -s "$work/dry.wav" "$work/switched-off.wav" || { echo "a send switched off changed the render"; exit 1; }

# The equaliser's parameter 0 is its low band's gain ("Low"); 0.0 is its lowest.
"$tool" effect "$equaliser" >"$work/eq.txt"
grep -q '^parameters: 6$' "$work/eq.txt" || { echo "3BandEQ: $(cat "$work/eq.txt")"; exit 1; }
plain=(--program "$program" --library "$library" --pattern 0)
"$tool" render "${plain[@]}" --out "$work/plain.wav"
"$tool" render "${plain[@]}" --effect insert1="$equaliser" --param insert1:0=0 --take "$work/cut.fxp" \
    --out "$work/cut.wav"
low_plain=$(rms "$work/plain.wav" lowpass 150 lowpass 150)
low_cut=$(rms "$work/cut.wav" lowpass 150 lowpass 150)
high_plain=$(rms "$work/plain.wav" highpass 1000 highpass 1000)
high_cut=$(rms "$work/cut.wav" highpass 1000 highpass 1000)
echo "below 150 Hz: RMS $low_plain plain, $low_cut cut; above 1 kHz: $high_plain plain, $high_cut cut; tail $tail"
check 'a > 0.02 && b < a / 3' "$low_plain" "$low_cut" "the low band was not cut by a third at least"
check 'b > a * 0.85 && b < a * 1.15' "$high_plain" "$high_cut" "the highs changed with the low band"

# ZynReverb writes past its buffers when handed a longer block than it was told: the render tells
# the instrument its export's block, and the reverb stays as loud as the drums.
"$tool" render "${plain[@]}" --effect insert1=/usr/lib/vst/ZynReverb.so --out "$work/zyn.wav"
check 'b > 0.05 && b < 2 * a' "$(peak "$work/plain.wav")" "$(peak "$work/zyn.wav")" "ZynReverb's render is silent or blown up"

# The taken program names the equaliser, switched on, and loads it again with its cut.
"$tool" program "$work/cut.fxp" >"$work/cut.txt"
grep -qF "effect insert 1 (on): \"$equaliser\", state" "$work/cut.txt" ||
    { echo "the taken program does not name the equaliser: $(grep '^effect' "$work/cut.txt")"; exit 1; }
"$tool" render --program "$work/cut.fxp" --library "$library" --pattern 0 --out "$work/taken.wav"
check 'b < a / 3' "$low_plain" "$(rms "$work/taken.wav" lowpass 150 lowpass 150)" "the taken program lost the cut"

# Refused libraries: status 1, the slot and the reason named, nothing written.
refused() {  # the reason's words, then the --effect value
    local words=$1 status=0
    "$tool" render "${plain[@]}" --effect "$2" --take "$work/refused.fxp" --out "$work/refused.wav" \
        2>"$work/refused.err" || status=$?
    [ "$status" -eq 1 ] || { echo "--effect $2: status $status, not 1"; exit 1; }
    grep -qF "rimbadrums-tool: the effect for send 2 is refused: ${2#send2=}: $words" "$work/refused.err" ||
        { echo "--effect $2: unclear message: $(cat "$work/refused.err")"; exit 1; }
    [ ! -e "$work/refused.wav" ] && [ ! -e "$work/refused.fxp" ] || { echo "--effect $2 wrote files"; exit 1; }
}
refused "the plug-in is an instrument" send2=/usr/lib/vst/Kars-vst.so
refused "cannot open the library" send2="$work/none.so"
status=0
"$tool" render "${plain[@]}" --param insert2:0=1 --out "$work/refused.wav" 2>"$work/refused.err" || status=$?
[ "$status" -eq 1 ] && grep -qF "rimbadrums-tool: --param insert2:0=1: insert 2 holds no plug-in" "$work/refused.err" ||
    { echo "a parameter of an empty slot: status $status, $(cat "$work/refused.err")"; exit 1; }
status=0
"$tool" render "${plain[@]}" --effect insert2="$equaliser" --param insert2:6=1 --out "$work/refused.wav" \
    2>"$work/refused.err" || status=$?
[ "$status" -eq 1 ] && grep -qF "the plug-in in insert 2 has 6 parameters" "$work/refused.err" ||
    { echo "parameter 6 of 6: status $status, $(cat "$work/refused.err")"; exit 1; }
[ ! -e "$work/refused.wav" ] || { echo "a refused parameter wrote the render"; exit 1; }
echo "render through effects: reverb tail, low band cut, taken and refused as expected"
