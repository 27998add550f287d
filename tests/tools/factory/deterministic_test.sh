#!/usr/bin/env bash
# The factory library generator makes the same bytes every time it runs, into any folder: the
# library depends on nothing but its own code.
set -euo pipefail
generator=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

"$generator" "$work/first"
(cd "$work" && "$generator" second/)
diff -r "$work/first" "$work/second"

[ "$(find "$work/first/Samples" -name '*.wav' | wc -l)" -eq 12 ]
for file in "Drum Kits/Default.drs" "Drum Kits/RimbaRand.drs" "Patterns/Rimbastyle.ptn" "Programs/RimbaRand.fxp"; do
    [ -s "$work/first/$file" ] || { echo "missing: $file"; exit 1; }
done
[ -d "$work/first/SynthSounds/Synth" ]
# Paths inside the library are stored relative to it, so the library can move.
if grep -rqF "$work" "$work/first"; then
    echo "a file of the library names the folder it was made in"; exit 1
fi
echo "generator: two runs made identical libraries"
