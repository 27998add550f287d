#!/usr/bin/env bash
# `rimbadrums-tool`'s command line: --help of the tool and of every command, and the usage errors
# (status 2, a message naming the option or value at fault, nothing written, no file read) for
# unknown options, missing options and values out of range; then `info`, the one command that
# needs no file made here. The Windows build's tool runs through
# the runner given after it (Wine).
set -euo pipefail
tool=$1
runner=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
out="$work/out"
mkdir "$out"
failures=0

rimbadrums() {
    if [ -n "$runner" ]; then "$runner" "$tool" "$@"; else "$tool" "$@"; fi
}

complain() {
    echo "$*"
    failures=$((failures + 1))
}

# The help of the tool (no command) or of one command lists these words; it goes to standard
# output with status 0.
help_lists() {  # command (or "" for the tool), then the words its help must hold
    local command=$1 status=0
    shift
    local args=(--help)
    [ -z "$command" ] || args=("$command" --help)
    rimbadrums "${args[@]}" >"$work/help.txt" 2>"$work/help.err" || status=$?
    [ "$status" -eq 0 ] || complain "${args[*]}: status $status"
    [ ! -s "$work/help.err" ] || complain "${args[*]}: wrote to standard error: $(cat "$work/help.err")"
    grep -q "^Usage: rimbadrums-tool${command:+ $command} " "$work/help.txt" || complain "${args[*]}: no usage line"
    for word in "$@"; do
        grep -qe "$word" "$work/help.txt" || complain "${args[*]}: no \"$word\" in the help"
    done
}

help_lists "" info decode midi render program kit
help_lists info PATH.so --standalone --params
help_lists decode FILE --raw
help_lists midi --patterns --pattern --chain --tracks --out "0..15"
help_lists render --program --pattern --chain --tempo --rate --library --take --out "up to 1000" "up to 384000" \
    "--effect SLOT=PLUGIN" "--enable SLOT=on|off" "--send-level LEVEL" "--param SLOT:INDEX=VALUE" "send1, send2, insert1, insert2"
help_lists program FILE.fxp
help_lists kit FILE.drs
rimbadrums render -h | grep -q -- "--tempo BPM=120" || complain "render -h: no default tempo"

# A usage error: status 2, the words on standard error, nothing on standard output. None of the
# files named exist, so a command that went past its options would fail with status 1 instead.
usage_error() {  # words the message must hold, then the arguments
    local words=$1 status=0
    shift
    rimbadrums "$@" >"$work/usage.out" 2>"$work/usage.err" || status=$?
    [ "$status" -eq 2 ] || complain "$*: status $status, not 2"
    grep -qF -- "$words" "$work/usage.err" || complain "$*: no \"$words\" in: $(cat "$work/usage.err")"
    [ ! -s "$work/usage.out" ] || complain "$*: wrote to standard output: $(cat "$work/usage.out")"
}

p=$work/none.ptn
x=$work/none.fxp
usage_error "a command is required: info, decode, midi, render, program, kit"
usage_error "not a command or option: frobnicate" frobnicate
usage_error "not a command or option: --standalone" --standalone info
# Unknown options, named even where a required option is missing as well.
usage_error "rimbadrums-tool info: not an option or argument it takes: --parameters" info --parameters
usage_error "rimbadrums-tool decode: not an option or argument it takes: --rwa" decode a.wav --rwa "$out/a.raw"
usage_error "rimbadrums-tool midi: not an option or argument it takes: --bogus" midi --patterns "$p" --out "$out/a.mid" --bogus
usage_error "rimbadrums-tool midi: not an option or argument it takes: --outt" midi --patterns "$p" --outt "$out/a.mid"
usage_error "rimbadrums-tool render: not an option or argument it takes: --speed" render --program "$x" --speed 2 --out "$out/a.wav"
usage_error "rimbadrums-tool program: not an option or argument it takes: --verbose" program "$x" --verbose
usage_error "rimbadrums-tool kit: not an option or argument it takes: -v" kit -v a.drs
# Arguments beyond those a command takes.
usage_error "not an option or argument it takes: b.wav" decode a.wav b.wav
usage_error "not an option or argument it takes: two.fxp" program one.fxp two.fxp
usage_error "not an option or argument it takes: two.drs" kit one.drs two.drs
usage_error "not an option or argument it takes: b.so" info a.so b.so
# Missing options, arguments and values.
usage_error "rimbadrums-tool decode: not an option or argument it takes: $work/b.wav" decode "$work/a.wav" "$work/b.wav"
usage_error "rimbadrums-tool decode: FILE is required" decode
usage_error "rimbadrums-tool program: FILE.fxp is required" program
usage_error "rimbadrums-tool kit: FILE.drs is required" kit
usage_error "rimbadrums-tool midi: --patterns is required" midi --out "$out/a.mid"
usage_error "rimbadrums-tool midi: --out is required" midi --patterns "$p"
usage_error "rimbadrums-tool render: --program is required" render --out "$out/a.wav"
usage_error "rimbadrums-tool render: --out is required" render --program "$x" --chain
usage_error "--raw: 1 required OUT missing" decode a.wav --raw
usage_error "--pattern: 1 required N missing" midi --patterns "$p" --out "$out/a.mid" --pattern
# Values out of range, or not numbers as the tool reads them.
for pattern in 16 -1 +3 0x3 3x 1.0 "" 9999999999; do
    usage_error "--pattern: \"$pattern\" is not a pattern number 0..15" midi --patterns "$p" --pattern "$pattern" --out "$out/a.mid"
    usage_error "--pattern: \"$pattern\" is not a pattern number 0..15" render --program "$x" --pattern "$pattern" --out "$out/a.wav"
done
for tracks in 0 7 9 11 13 16 eight; do
    usage_error "--tracks: \"$tracks\" is not 8 or 12" midi --patterns "$p" --tracks "$tracks" --out "$out/a.mid"
done
for tempo in 0 -120 1000.001 1e4 inf nan fast 120bpm; do
    usage_error "--tempo: \"$tempo\" is not a number above 0 up to 1000" render --program "$x" --tempo "$tempo" --out "$out/a.wav"
done
for rate in 0 -44100 384000.5 1e6 inf 44.1k; do
    usage_error "--rate: \"$rate\" is not a number above 0 up to 384000" render --program "$x" --rate "$rate" --out "$out/a.wav"
done
# The effect options: a slot by name, its value after "=" (or ":INDEX=" for a parameter).
slots="SLOT one of send1, send2, insert1, insert2"
for effect in MVerb.so send3=MVerb.so synth=MVerb.so send1= =MVerb.so Send1=MVerb.so; do
    usage_error "--effect: \"$effect\" is not SLOT=PLUGIN, $slots" render --program "$x" --effect "$effect" --out "$out/a.wav"
done
for switch in send1 send1=yes send1=1 insert3=on "insert1 =on" send1=on,off; do
    usage_error "--enable: \"$switch\" is not SLOT=on|off, $slots" render --program "$x" --enable "$switch" --out "$out/a.wav"
done
for level in -0.1 1.01 inf nan loud ""; do
    usage_error "--send-level: \"$level\" is not a number 0..1" render --program "$x" --send-level "$level" --out "$out/a.wav"
done
for param in insert1:0 insert1=0.5 insert1:-1=0.5 insert1:x=0.5 insert1:0=1.5 insert1:0= insert1:0=nan send5:0=0 :0=0; do
    usage_error "--param: \"$param\" is not SLOT:INDEX=VALUE with VALUE 0..1, $slots" render --program "$x" --param "$param" --out "$out/a.wav"
done
# Repeated options all count, and a bad one among good ones is still found.
usage_error "--param: \"send2:1=2\" is not" render --program "$x" --param send1:0=0.5 --param send2:1=2 --out "$out/a.wav"
usage_error "--effect: \"bad\" is not" render --program "$x" --effect send1=a.so --effect bad --out "$out/a.wav"

# Empty file and folder names.
usage_error "rimbadrums-tool decode: FILE: an empty name is not allowed" decode ""
usage_error "rimbadrums-tool program: FILE.fxp: an empty name is not allowed" program ""
usage_error "rimbadrums-tool kit: FILE.drs: an empty name is not allowed" kit ""
usage_error "--patterns: an empty name is not allowed" midi --patterns "" --out "$out/a.mid"
usage_error "--out: an empty name is not allowed" midi --patterns "$p" --out ""
usage_error "--program: an empty name is not allowed" render --program "" --out "$out/a.wav"
usage_error "--out: an empty name is not allowed" render --program "$x" --out ""
usage_error "--library: an empty name is not allowed" render --program "$x" --library "" --out "$out/a.wav"
# --pattern and --chain together, in either order.
usage_error "--pattern excludes --chain" midi --patterns "$p" --pattern 3 --chain --out "$out/a.mid"
usage_error "--pattern excludes --chain" midi --patterns "$p" --chain --pattern 3 --out "$out/a.mid"
usage_error "excludes" render --program "$x" --chain --pattern 0 --out "$out/a.wav"

[ -z "$(ls -A "$out")" ] || complain "a usage error wrote files: $(ls "$out")"

# Past its options, `info` loads the plug-in this build made, and a library that is no plug-in
# is refused with status 1 and the loader's reason.
status=0
rimbadrums info --params >"$work/info.txt" 2>"$work/info.err" || status=$?
[ "$status" -eq 0 ] || complain "info: status $status: $(cat "$work/info.err")"
grep -q "^magic: VstP " "$work/info.txt" || complain "info: no VST magic in: $(head -3 "$work/info.txt")"
grep -q "^parameters:" "$work/info.txt" || complain "info --params: no parameters"
printf 'not a library' >"$work/none.so"
status=0
rimbadrums info "$work/none.so" >"$work/info.txt" 2>"$work/info.err" || status=$?
[ "$status" -eq 1 ] || complain "info of a file that is no library: status $status, not 1"
grep -q "^rimbadrums-tool: the plug-in does not load: cannot load .*none.so" "$work/info.err" ||
    complain "info of a file that is no library: unclear message: $(cat "$work/info.err")"
if [ "$failures" -ne 0 ]; then
    echo "$failures checks of the command line failed"
    exit 1
fi
echo "command line: help and usage errors as expected"
