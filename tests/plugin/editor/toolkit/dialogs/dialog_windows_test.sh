#!/usr/bin/env bash
# The toolkit's pop-ups on a real X server (run under tests/support/with-xvfb.sh), driven with
# xdotool through the dialog_demo program:
#   dialog_windows_test.sh DIALOG_DEMO
# Without a window manager the host's window sits where the program asked (100, 100), so the
# option menu at (10, 10)-(130, 30) of the frame opens at (110, 130) on the screen.
set -euo pipefail
demo=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/rimba-dialogs.XXXXXX")
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- program output:" >&2
    cat "$work/out" >&2 || true
    exit 1
}

# Waits (at most 10 s) until the program's output holds a line matching $1.
wait_for() {
    for _ in $(seq 500); do
        grep -qx -- "$1" "$work/out" 2>/dev/null && return 0
        sleep 0.02
    done
    fail "no line '$1'"
}

start() {
    "$demo" "$@" >"$work/out" 2>"$work/err" &
    pid=$!
    wait_for ready
}

finish() {
    wait "$pid" || fail "the program failed: $(cat "$work/err")"
    pid=""
}

# The size of the shown window whose top left is at $1 (e.g. +110+130), as WIDTHxHEIGHT.
window_size_at() {
    xwininfo -root -children | awk -v at="$1" '$NF == at { split($(NF-1), g, "+"); print g[1]; exit }'
}

menu_x=120
row_y() { echo $((130 + 2 + $1 * 20 + 10 - ($1 > 1 ? 11 : 0))); }  # rows 0, 2, 3, 4 (row 1 is a 9-pixel separator)

# --- The option menu: a disabled entry does nothing, an entry and a submenu entry are reported,
#     Escape closes without a report. Then the text edit takes typed digits.
start menu
wid=$(xdotool search --sync --name '^RimbaDialogs$' | head -1)
xdotool mousemove 150 120 click 1
sleep 0.3
xdotool mousemove $menu_x "$(row_y 2)" click 1     # "Version 1.50", disabled
sleep 0.2
xdotool mousemove $menu_x "$(row_y 4)" click 1     # "AutoScroll"
wait_for "menu 4 top"

xdotool mousemove 150 120 click 1
sleep 0.3
size=$(window_size_at +110+130)
[ -n "$size" ] || fail "no menu window at +110+130"
width=${size%x*}
xdotool mousemove $menu_x "$(row_y 3)"                  # hover "Receive MIDI Channel"
sleep 0.3
sub_x=$((110 + width + 20))
sub_top=$((130 + 51 - 2))
xdotool mousemove $sub_x $((sub_top + 2 + 2 * 20 + 10))  # along to "1" in the submenu
sleep 0.2
xdotool click 1
wait_for "menu 2 channels"

xdotool mousemove 150 120 click 1
sleep 0.3
xdotool key Escape
sleep 0.3
[ -z "$(window_size_at +110+130)" ] || fail "Escape left the menu open"
xdotool mousemove $menu_x "$(row_y 4)" click 1     # the frame's empty background now
sleep 0.2
xdotool mousemove 150 120 click 1
sleep 0.3
xdotool mousemove $menu_x "$(row_y 0)" click 1     # "Export to Audio File ..."
wait_for "menu 0 top"

xdotool mousemove 130 160 click 1                   # the text edit showing "120"
sleep 0.2
xdotool key BackSpace BackSpace BackSpace
xdotool type 96
xdotool key Return
wait_for "text 96"
xdotool windowunmap "$wid"
finish
[ "$(grep -c '^menu ' "$work/out")" = 3 ] || fail "a menu click was reported that should not have been"
wait_for "popups 0"
wait_for "windows 0"

# --- The file selector: a missing name is not taken, a typed existing name and Return are.
mkdir -p "$work/kits/Sub"
touch "$work/kits/Rock.drs" "$work/kits/Jazz.drs" "$work/kits/notes.txt"
start open "$work/kits"
xdotool search --sync --name '^Load VORN Drums Kit$' >/dev/null
sleep 0.2
xdotool type Missing.drs
xdotool key Return
sleep 0.3
grep -q '^chosen' "$work/out" && fail "a missing file was taken"
xdotool key ctrl+a End $(printf 'BackSpace %.0s' $(seq 11))
xdotool type Jazz.drs
xdotool key Return
wait_for "chosen $work/kits/Jazz.drs"
finish
wait_for "popups 0"

start open "$work/kits"
xdotool search --sync --name '^Load VORN Drums Kit$' >/dev/null
sleep 0.2
xdotool key Escape
wait_for "cancelled"
finish

# --- The message box: shown through the platform's message call, closed by Return.
start message
xdotool search --sync --name '^VORN Studio$' >/dev/null
sleep 0.2
grep -q '^message closed' "$work/out" && fail "the message did not wait for the user"
xdotool key Return
wait_for "message closed"
finish
wait_for "popups 0"
wait_for "windows 0"
echo "all dialog window checks passed"
