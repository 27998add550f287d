#!/usr/bin/env bash
# `rimbadrums-tool midi` on pattern sets it has never seen, written here line by line from the
# pattern file layout, read back by an independent MIDI reader (mido) and compared with the note
# times worked out by hand from the export rules: 24 ticks a step, rolls spaced 24 / (roll + 1),
# chained patterns one after another.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The tool builds the instrument as a host would: give it a settings store and library of its own.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
python=/usr/bin/python3
crlf=$'\r\n'

triples() {  # the random settings of n tracks, all off
    local n=$1 text=""
    for ((i = 0; i < n; i++)); do text+="-1;-1;0;"; done
    printf '%s' "$text"
}

header="STEPNUMBER_MODE;64;2;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;64.0000;"

# Twelve tracks. Chained: pattern 0 (16 steps), 3 (8 steps) and 7 (4 steps); pattern 1 has a hit
# but is not chained.
{
    printf '%s%s' "$header" "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;0;16;1;%s' "$(triples 12)"
    printf '0.0000;36;1.0000;100;0.0000;4.0000;36;1.0000;100;0.0000;4.0000;38;1.0000;90;1.0000;'
    printf '8.0000;36;1.0000;100;0.0000;12.0000;36;1.0000;100;0.0000;12.0000;38;1.0000;90;1.0000;%s' "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;1;16;0;%s0.0000;37;1.0000;50;0.0000;%s' "$(triples 12)" "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;3;8;1;%s2.0000;47;1.0000;70;0.0000;7.0000;41;1.0000;60;0.0000;%s' \
        "$(triples 12)" "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;7;4;1;%s3.0000;39;1.0000;127;3.0000;%s' "$(triples 12)" "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;10;16;0;%s5.0000;45;1.0000;80;0.0000;%s' "$(triples 12)" "$crlf"
} >"$work/twelve.ptn"

# Eight tracks in the eight-track form, patterns 2 and 5 chained.
{
    printf '%s%s' "$header" "$crlf"
    printf 'PATTERN_NOTES_EX;2;2;1;%s1.0000;43;1.0000;33;0.0000;%s' "$(triples 8)" "$crlf"
    printf 'PATTERN_NOTES_EX;5;16;1;%s0.0000;36;1.0000;44;2.0000;%s' "$(triples 8)" "$crlf"
} >"$work/eight.ptn"

notes_of() {  # prints "tick note velocity" per note-on, sorted, after mido has accepted the file
    $python - "$1" <<'PY'
import sys
import mido
midi = mido.MidiFile(sys.argv[1])
assert midi.type == 0 and midi.ticks_per_beat == 96 and len(midi.tracks) == 1, midi
tick, notes = 0, []
for message in midi.tracks[0]:
    tick += message.time
    if message.type == "note_on":
        assert message.channel == 0, message
        notes.append((tick, message.note, message.velocity))
for note in sorted(notes):
    print(*note)
PY
}

expect() {  # name, expected notes (one "tick note velocity" per line), file
    local name=$1 expected=$2 file=$3 got
    got=$(notes_of "$file")
    if [ "$got" != "$(printf '%s\n' "$expected" | sort -n -k1,1 -k2,2)" ]; then
        echo "$name: the notes differ"
        diff <(printf '%s\n' "$expected" | sort -n -k1,1 -k2,2) <(printf '%s\n' "$got") || true
        exit 1
    fi
    echo "$name: $(printf '%s\n' "$got" | wc -l) notes as expected"
}

"$tool" midi --patterns "$work/twelve.ptn" --chain --out "$work/chain.mid"
expect "chain of patterns 0, 3 and 7" "0 36 100
96 36 100
96 38 90
108 38 90
192 36 100
288 36 100
288 38 90
300 38 90
432 47 70
552 41 60
648 39 127
654 39 127
660 39 127
666 39 127" "$work/chain.mid"

"$tool" midi --patterns "$work/twelve.ptn" --pattern 3 --tracks 12 --out "$work/three.mid"
expect "pattern 3 alone" "48 47 70
168 41 60" "$work/three.mid"

# Pattern numbers are decimal whatever their leading zeros (010 is pattern 10, not octal 8), and
# of two values the last counts.
"$tool" midi --patterns "$work/twelve.ptn" --pattern 010 --out "$work/ten.mid"
expect "pattern 010" "120 45 80" "$work/ten.mid"
"$tool" midi --patterns "$work/twelve.ptn" --pattern 7 --pattern 3 --out "$work/last.mid"
expect "the last of two patterns" "48 47 70
168 41 60" "$work/last.mid"

"$tool" midi --patterns "$work/eight.ptn" --tracks 8 --out "$work/eight.mid"
expect "eight tracks, chain from the set's own play mode" "24 43 33
48 36 44
56 36 44
64 36 44" "$work/eight.mid"

# A hostile set: swing 2000000000, fill attenuation 99999 and a step count of 1000000000 are held
# to 127, 127 and 64, so the export ends at once with every note inside 64 steps (swing 127 puts
# odd steps 23 ticks late).
{
    printf 'STEPNUMBER_MODE;64;2;2000000000.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;0.0000;'
    printf '0.0000;0.0000;0.0000;0.0000;99999.0000;%s' "$crlf"
    printf 'PATTERN_NOTES_CHANNEL;12;0;1000000000;1;%s1.0000;36;1.0000;100;0.0000;' "$(triples 12)"
    printf '63.0000;38;1.0000;90;0.0000;%s' "$crlf"
} >"$work/hostile.ptn"
timeout 20 "$tool" midi --patterns "$work/hostile.ptn" --chain --out "$work/hostile.mid"
expect "a hostile set" "47 36 100
1535 38 90" "$work/hostile.mid"

fails() {  # expected status, expected words of the message, then the command
    local expected=$1 words=$2
    shift 2
    local message status=0
    message=$("$@" 2>&1) || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "status $status, not $expected: $* said: $message"
        exit 1
    fi
    if [[ "$message" != *"$words"* ]]; then
        echo "unclear message for $*: $message"
        exit 1
    fi
}

# Refused sets: each says why, with status 1.
fails 1 "cannot read $work/none.ptn" "$tool" midi --patterns "$work/none.ptn" --out "$work/none.mid"
mkdir "$work/folder.ptn"
fails 1 "cannot read $work/folder.ptn" "$tool" midi --patterns "$work/folder.ptn" --out "$work/folder.mid"
printf 'not a pattern set\r\n' >"$work/text.ptn"
fails 1 "holds no pattern" "$tool" midi --patterns "$work/text.ptn" --out "$work/text.mid"
printf '%s%sPATTERN_NOTES_CHANNEL;12;0;16;0;%s%s' "$header" "$crlf" "$(triples 12)" "$crlf" >"$work/unchained.ptn"
fails 1 "chained" "$tool" midi --patterns "$work/unchained.ptn" --chain --out "$work/unchained.mid"
fails 1 "cannot write" "$tool" midi --patterns "$work/twelve.ptn" --out "$work/missing/out.mid"
# Misuse, with status 2, before any file is read.
fails 2 "--pattern excludes --chain" "$tool" midi --patterns "$work/twelve.ptn" --pattern 3 --chain --out "$work/both.mid"
fails 2 '"16" is not 8 or 12' "$tool" midi --patterns "$work/twelve.ptn" --tracks 16 --out "$work/sixteen.mid"
[ ! -e "$work/none.mid" ] && [ ! -e "$work/text.mid" ] && [ ! -e "$work/both.mid" ] || { echo "a failed export left a file"; exit 1; }
echo "rimbadrums-tool midi writes what the export rules say"
