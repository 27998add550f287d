#!/usr/bin/env bash
# The instrument itself in the standalone program, playing through a JACK server (run this under
# tests/support/with-xvfb.sh and tests/support/with-jack.sh): jack_midiseq plays the keys of
# tracks 1 and 3 (36 and 38) half a second apart, jack_capture records the program's output, and
# the recording must hold the two hits that far apart, give or take the one block by which MIDI
# is handed over at block starts.
#   real_instrument_jack_test.sh PROGRAM PLUGIN.so FACTORY-LIBRARY-FOLDER
set -euo pipefail

program=$1
plugin=$2
factory=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/rimba-standalone.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/program.err" ] && cat "$work/program.err" >&2; exit 1; }

# A private home: the program, the plug-in and its factory library side by side, as installed.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME/bin"
cp "$program" "$HOME/bin/RimbaDrums"
cp "$plugin" "$HOME/bin/RimbaDrums_64.so"
cp -R "$factory" "$HOME/bin/RimbaDrums_64-library"

rate=$(jack_samplerate)
half=$((rate / 2))
jack_midiseq seq $((rate * 2)) 0 36 2000 "$half" 38 2000 & pids+=($!)
for _ in $(seq 250); do jack_lsp | grep -qx 'seq:out' && break; sleep 0.02; done

"$HOME/bin/RimbaDrums" --audio JACK --midi seq:out 2>"$work/program.err" & program_pid=$!; pids+=($program_pid)
window=
for _ in $(seq 500); do
    window=$(xdotool search --onlyvisible --name '^StandAlone$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    if ! kill -0 "$program_pid" 2>/dev/null; then
        # An instrument without its editor yet is refused; the test cannot run before it has one.
        if grep -q 'has no editor' "$work/program.err"; then
            echo "SKIPPED: the instrument has no editor to show" >&2
            exit 77
        fi
        fail "the program ended before it showed a window"
    fi
    sleep 0.04
done
[ -n "$window" ] || fail "no window"
for _ in $(seq 250); do jack_lsp -c | grep -A2 '^system:playback_1$' | grep -q '^ ' && break; sleep 0.02; done
jack_lsp -c | grep -A2 '^system:playback_1$' | grep -q '^ ' || fail "nothing is connected to system:playback_1"
jack_lsp -c | grep -A2 '^system:playback_2$' | grep -q '^ ' || fail "nothing is connected to system:playback_2"
ports=$(jack_lsp -c | grep -A2 '^system:playback_1$' | sed -n 's/^ *//p' | head -1)
client=${ports%%:*}

(cd "$work" && exec jack_capture -dc -ns --port "$client:out_L" --port "$client:out_R" take.wav) >/dev/null 2>&1 &
capture=$!
pids+=($capture)
sleep 3
kill -INT "$capture"; wait "$capture" || true

xdotool windowclose "$window"
for _ in $(seq 500); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.02; done
wait "$program_pid" || fail "the program ended with status $?"

# The hits: where the mixed signal first rises out of silence after at least 0.1 s of it.
sox "$work/take.wav" -t f32 -c 1 "$work/take.f32" remix -
/usr/bin/python3 - "$work/take.f32" "$half" "$rate" <<'PY'
import struct, sys
path, half, rate = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = open(path, 'rb').read()
samples = struct.unpack('<%df' % (len(data) // 4), data)
threshold, quiet_needed = 0.01, rate // 10
onsets, quiet = [], quiet_needed
for i, value in enumerate(samples):
    if abs(value) > threshold:
        if quiet >= quiet_needed:
            onsets.append(i)
        quiet = 0
    else:
        quiet += 1
print('onsets', onsets[:6])
if len(onsets) < 2:
    sys.exit('FAIL: fewer than two hits in the recording')
gaps = [b - a for a, b in zip(onsets, onsets[1:])]
# Key 36 then key 38 half a second later, then 1.5 s until the loop comes round again.
if not any(abs(gap - half) <= 512 for gap in gaps):
    sys.exit('FAIL: no two hits %d frames apart: %s' % (half, gaps))
PY
echo "two hits half a second apart"
