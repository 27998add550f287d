#!/usr/bin/env bash
# `rimbadrums-tool effect`: the fixture plug-ins described as a slot sees them, refusals with
# status 1 and their reason, and banks and presets saved, checked by size and loaded back into a
# plug-in whose values were changed by nothing else. The Windows build's tool runs through the
# runner given last (Wine).
set -euo pipefail
tool=$1
fixtures=$2
extension=$3
runner=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

rimbadrums() {
    if [ -n "$runner" ]; then "$runner" "$tool" "$@"; else "$tool" "$@"; fi
}
complain() {
    echo "$*"
    failures=$((failures + 1))
}
fixture() { echo "$fixtures/$1$extension"; }

# The description holds each "key: value" line given.
describes() {  # fixture, then the lines
    local name=$1 status=0
    shift
    rimbadrums effect "$(fixture "$name")" >"$work/out.txt" 2>&1 || status=$?
    [ "$status" -eq 0 ] || complain "effect $name: status $status: $(cat "$work/out.txt")"
    for line in "$@"; do
        grep -qxF -- "$line" <(tr -d '\r' <"$work/out.txt") || complain "effect $name: no line \"$line\""
    done
}
describes fixture-gain "label: Gain" "vendor: Rimba Tests" "product: Fixture Gain" "inputs: 2" "outputs: 2" \
    "programs: 1" "parameters: 1" "programs are chunks: no" "wants MIDI: no"
describes fixture-main-only "label: Main Only"
describes fixture-no-name "label: no name"
describes fixture-chunk-programs "programs: 4" "parameters: 10" "programs are chunks: yes" "program 0: Chunk A"
describes fixture-drum-synth "outputs: 18" "wants MIDI: yes"

# A refusal: status 1 and "refused: " with the reason.
refused() {  # library, a word of the reason
    local status=0
    rimbadrums effect "$1" >"$work/out.txt" 2>&1 || status=$?
    [ "$status" -eq 1 ] || complain "effect $1: status $status, not 1"
    grep -q "^refused: .*$2" "$work/out.txt" || complain "effect $1: no refusal naming \"$2\": $(cat "$work/out.txt")"
}
refused "$(fixture fixture-instrument)" instrument
refused "$work/missing$extension" "cannot open"
echo "not a library" >"$work/text$extension"
refused "$work/text$extension" "cannot open"

# Banks and presets: 4 programs of 10 parameters make a 540-byte bank; a preset of 10 values is
# 100 bytes. Saved from one run and loaded in the next, the current program shows the values.
regular=$(fixture fixture-regular-programs)
rimbadrums effect "$regular" --save-bank "$work/bank.fxb" --save-preset "$work/preset.fxp" >/dev/null \
    || complain "saving a bank and a preset failed"
size() { wc -c <"$1" | tr -d ' '; }
[ "$(size "$work/bank.fxb")" = 540 ] || complain "bank of 4 x 10: $(size "$work/bank.fxb") bytes, not 540"
[ "$(size "$work/preset.fxp")" = 100 ] || complain "preset of 10: $(size "$work/preset.fxp") bytes, not 100"
rimbadrums effect "$regular" --load-preset "$work/preset.fxp" >"$work/out.txt" \
    || complain "loading the preset back failed"
grep -q '^current program: 0 "Regular A"' "$work/out.txt" || complain "no current program after the load"
status=0
rimbadrums effect "$(fixture fixture-gain)" --load-preset "$work/preset.fxp" >"$work/out.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || complain "another plug-in's preset: status $status, not 1"
grep -q "another plug-in" "$work/out.txt" || complain "another plug-in's preset: no reason: $(cat "$work/out.txt")"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "effect command: every case passed"
