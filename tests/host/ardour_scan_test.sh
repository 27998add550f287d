#!/usr/bin/env bash
# A real host's view: Ardour's VST scanner must take the built plug-in for an instrument with no
# audio inputs, 18 outputs and one MIDI input, with an editor when the plug-in was built with one.
#   ardour_scan_test.sh PLUGIN.so [HAS_EDITOR (1 or 0, default 1)]
set -euo pipefail
plugin=$1
has_editor=${2:-1}
scanner=/usr/lib/ardour7/ardour-vst-scanner
[ -x "$scanner" ] || { echo "Ardour's VST scanner is missing (package ardour)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/vst"
cp "$plugin" "$work/vst/RimbaDrums_64.so"
# Ardour takes a cache entry as stale unless it is newer than the library by a second or more.
touch -d '-60 seconds' "$work/vst/RimbaDrums_64.so"

XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" LD_LIBRARY_PATH=/usr/lib/ardour7 \
    timeout 120 "$scanner" "$work/vst/RimbaDrums_64.so"
# The scanner exits 0 even when it fails: its cache entry is the answer.
entry=$(find "$work/cache" -name '*.v2i' | head -n 1)
[ -n "$entry" ] || { echo "the scanner wrote no cache entry"; exit 1; }
cat "$entry"

expect() {
    grep -q "$1" "$entry" || { echo "missing in the scanner's entry: $1"; exit 1; }
}
expect 'id="959526251"'
expect 'name="RimbaDrums_64"'
expect 'creator="VORN"'
expect 'category="Instrument"'
expect 'n_inputs="0"'
expect 'n_outputs="18"'
expect 'n_midi_inputs="1"'
expect 'is_instrument="1"'
expect 'can_process_replace="1"'
expect "has_editor=\"$has_editor\""
echo "Ardour sees the instrument as expected"
