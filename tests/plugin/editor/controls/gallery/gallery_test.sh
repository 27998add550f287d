#!/usr/bin/env bash
# The controls gallery on a real X server (run under tests/support/with-xvfb.sh), driven with
# xdotool:
#   gallery_test.sh CONTROLS_GALLERY ARTWORK_PNG_FOLDER
# Drags on a knob and a fader, clicks on a switch, an entry picked from an option menu, digits
# typed into the tempo field and a note picked on the note panel must each print the expected
# "TAG VALUE" line; the screenshot must show the artwork's own pixels where the controls put their
# frames, and the window on the X server must show what the screenshot holds.
set -euo pipefail
gallery=$1
png=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/rimba-gallery.XXXXXX")
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- reported values:" >&2
    cat "$work/out" >&2 || true
    exit 1
}

# The window sits at the top left of the screen (no window manager), so frame and screen
# coordinates are the same. The rectangle of a control, from the gallery's own list.
rect_of() { awk -v tag="$1" '$1 == "at" && $2 == tag { print $3, $4, $5, $6; exit }' "$work/err"; }
centre_of() { rect_of "$1" | awk '{ print int(($1 + $3) / 2), int(($2 + $4) / 2) }'; }

# Waits (at most 5 s) until the last value reported for tag $1 is within 0.001 of $2.
expect_value() {
    for _ in $(seq 250); do
        if awk -v tag="$1" -v want="$2" '$1 == tag { last = $2; seen = 1 }
               END { exit !(seen && last - want < 0.001 && want - last < 0.001) }' "$work/out"; then
            return 0
        fi
        sleep 0.02
    done
    fail "tag $1: expected $2, last reported $(awk -v tag="$1" '$1 == tag { last = $2 } END { print last }' "$work/out")"
}
count_of() { awk -v tag="$1" '$1 == tag { n++ } END { print n + 0 }' "$work/out"; }

"$gallery" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 500); do grep -qx ready "$work/err" && break; sleep 0.02; done
grep -qx ready "$work/err" || fail "the gallery did not come up: $(cat "$work/err")"
xdotool search --sync --name '^RimbaDrums Gallery$' >/dev/null

# --- A knob (track 1's second send, at 0): a linear drag of 50 pixels to the right turns it by
#     50 x 2 pi / 250, a fifth of its range; past the end it stops at 1 and reports no more.
read -r kx ky < <(centre_of 8200)
xdotool mousemove "$kx" "$ky" mousedown 1
for dx in 10 20 30 40 50; do xdotool mousemove $((kx + dx)) "$ky"; done
sleep 0.1
expect_value 8200 0.2
for dx in 150 250 350; do xdotool mousemove $((kx + dx)) "$ky"; done
expect_value 8200 1
sleep 0.2
reports=$(count_of 8200)
xdotool mousemove $((kx + 450)) "$ky"
sleep 0.3
[ "$(count_of 8200)" = "$reports" ] || fail "the knob reported again past its end"
xdotool mouseup 1

# --- The swing fader: 108 pixels wide with an 8-pixel handle, so the handle's centre travels
#     100 pixels from 4 pixels in; a click at 54 pixels in is the middle, a drag past the end 1.
read -r fl ft fr fb < <(rect_of 87)
xdotool mousemove $((fl + 54)) $((ft + 8)) click 1
expect_value 87 0.5
xdotool mousemove $((fl + 29)) $((ft + 8)) mousedown 1
expect_value 87 0.25
xdotool mousemove $((fl + 60)) $((ft + 8))
expect_value 87 0.56
xdotool mousemove $((fl + 300)) $((ft + 8))
expect_value 87 1
xdotool mouseup 1

# --- Track 1's mute switch: on, then off.
read -r mx my < <(centre_of 8206)
xdotool mousemove "$mx" "$my" click 1
expect_value 8206 1
xdotool mousemove "$mx" "$my" click 1
expect_value 8206 0
[ "$(count_of 8206)" = 2 ] || fail "the mute switch reported $(count_of 8206) times for two clicks"

# --- The main menu opens under itself; its rows are 20 pixels high after a 2-pixel border.
read -r ml mt mr mb < <(rect_of 96)
xdotool mousemove $((ml + 10)) $((mt + 10)) click 1
sleep 0.4
xdotool mousemove $((ml + 30)) $((mb + 2 + 2 * 20 + 10)) click 1   # "AutoScroll"
expect_value 96 2

# --- The tempo field takes typed digits, limits them to 10 .. 480 and shows them again.
read -r tx ty < <(centre_of 32)
xdotool mousemove "$tx" "$ty" click 1
sleep 0.2
xdotool key BackSpace BackSpace BackSpace type 96
xdotool key Return
expect_value 32 96
xdotool mousemove "$tx" "$ty" click 1
sleep 0.2
xdotool key BackSpace BackSpace type 999
xdotool key Return
expect_value 32 480

# --- The note panel: a click on D1 (note 38: octave row 3, column 2) picks it.
read -r nl nt nr nb < <(rect_of 75)
xdotool mousemove $((nl + 4 + 2 * 24 + 12)) $((nt + 4 + 3 * 20 + 10)) click 1
expect_value 75 38

kill "$pid"
wait "$pid" || fail "the gallery did not end cleanly: $(grep -v '^at ' "$work/err" | head -40)"
pid=""

# --- The screenshot against the artwork: each control shows the frame of its value.
"$gallery" --screenshot "$work/shot.png" 2>"$work/err" || fail "no screenshot: $(cat "$work/err")"
rgb() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
same_pixel() {  # WHAT, ARTWORK, X, Y IN IT, X, Y IN THE SCREENSHOT
    local want got
    want=$(rgb "$png/$2" "$3" "$4")
    got=$(rgb "$work/shot.png" "$5" "$6")
    [ "$want" = "$got" ] || fail "$1: the screenshot shows $got at ($5, $6), the artwork $want"
}
differ() {  # the two frames compared must not look the same there, or the check proves nothing
    [ "$(rgb "$png/$1" "$2" "$3")" != "$(rgb "$png/$1" "$4" "$5")" ] || fail "$1 shows the same at both frames"
}
# The master knob at 0.8 shows frame round(0.8 x 63) = 50 of 64, its arc lit at (28, 10).
read -r kl kt _ _ < <(rect_of 59)
differ KnobGrayEx.png 28 10 28 $((50 * 32 + 10))
same_pixel "master knob" KnobGrayEx.png 28 $((50 * 32 + 10)) $((kl + 28)) $((kt + 10))
same_pixel "master knob" KnobGrayEx.png 16 $((50 * 32 + 16)) $((kl + 16)) $((kt + 16))
# Track 7's mute is on (frame 1), track 1's off (frame 0).
read -r ml mt _ _ < <(rect_of $((8192 + 32 * 6 + 14)))
differ SwitchMute.png 6 6 6 26
same_pixel "lit mute" SwitchMute.png 6 26 $((ml + 6)) $((mt + 6))
read -r ml mt _ _ < <(rect_of 8206)
same_pixel "mute off" SwitchMute.png 6 6 $((ml + 6)) $((mt + 6))
# Track 1's first step: a kick hit at velocity 120, level 8 of the kick's frames (frame 8).
read -r sl st _ _ < <(rect_of 8192)
differ PatternLed.png 10 16 10 $((8 * 22 + 16))
same_pixel "kick step" PatternLed.png 10 $((8 * 22 + 16)) $((sl + 10)) $((st + 16))
same_pixel "empty step" PatternLed.png 10 16 $((sl + 20 + 10)) $((st + 16))
# The master meter at 0.62 lights 60 of its 96 pixels.
read -r vl vt _ _ < <(rect_of 58)
differ vumeter.png 10 4 10 12
same_pixel "lit meter" vumeter.png 10 12 $((vl + 10)) $((vt + 4))
same_pixel "dark meter" vumeter.png 90 4 $((vl + 90)) $((vt + 4))

# --- The X server's window shows what the screenshot holds.
"$gallery" >/dev/null 2>"$work/err" &
pid=$!
for _ in $(seq 500); do grep -qx ready "$work/err" && break; sleep 0.02; done
wid=$(xdotool search --sync --name '^RimbaDrums Gallery$' | head -1)
sleep 0.3
import -window "$wid" "$work/window.png"
for point in "$((kl + 28)) $((kt + 10))" "$((sl + 10)) $((st + 16))" "$((vl + 10)) $((vt + 4))" "500 600"; do
    read -r x y <<<"$point"
    [ "$(rgb "$work/window.png" "$x" "$y")" = "$(rgb "$work/shot.png" "$x" "$y")" ] ||
        fail "the window shows $(rgb "$work/window.png" "$x" "$y") at ($x, $y), the screenshot $(rgb "$work/shot.png" "$x" "$y")"
done
echo "gallery: every check passed"
