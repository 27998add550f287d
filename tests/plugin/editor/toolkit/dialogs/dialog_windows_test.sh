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

# Waits (at most 10 s) until a window is shown at $1, or with $2 = gone, until none is.
wait_window_at() {
    for _ in $(seq 500); do
        if [ -n "$(window_size_at "$1")" ]; then [ "${2:-}" != gone ] && return 0
        else [ "${2:-}" = gone ] && return 0
        fi
        sleep 0.02
    done
    fail "the window at $1 did not ${2:-appear}"
}

# Waits until the window named $1 exists and has the keyboard focus.
wait_focused_dialog() {
    local id
    id=$(xdotool search --sync --name "$1" | head -1)
    for _ in $(seq 500); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
        sleep 0.02
    done
    fail "the dialog '$1' did not take the keyboard"
}

menu_x=120
row_y() { echo $((130 + 2 + $1 * 20 + 10 - ($1 > 1 ? 11 : 0))); }  # rows 0, 2, 3, 4 (row 1 is a 9-pixel separator)

# --- The option menu: a disabled entry does nothing, an entry and a submenu entry are reported,
#     Escape closes without a report. Then the text edit takes typed digits.
start menu
wid=$(xdotool search --sync --name '^RimbaDialogs$' | head -1)
xdotool mousemove 150 120 click 1
wait_window_at +110+130
xdotool mousemove $menu_x "$(row_y 2)" click 1     # "Version 1.50", disabled
sleep 0.2
xdotool mousemove $menu_x "$(row_y 4)" click 1     # "AutoScroll"
wait_for "menu 4 top"

xdotool mousemove 150 120 click 1
wait_window_at +110+130
size=$(window_size_at +110+130)
width=${size%x*}
xdotool mousemove $menu_x "$(row_y 3)"                  # hover "Receive MIDI Channel"
sub_top=$((130 + 51 - 2))
wait_window_at +$((110 + width))+$sub_top
sub_x=$((110 + width + 20))
xdotool mousemove $sub_x $((sub_top + 2 + 2 * 20 + 10))  # along to "1" in the submenu
sleep 0.2
xdotool click 1
wait_for "menu 2 channels"

xdotool mousemove 150 120 click 1
wait_window_at +110+130
xdotool key Escape
wait_window_at +110+130 gone
xdotool mousemove $menu_x "$(row_y 4)" click 1     # the frame's empty background now
sleep 0.2
xdotool mousemove 150 120 click 1
wait_window_at +110+130
xdotool mousemove $menu_x "$(row_y 0)" click 1     # "Export to Audio File ..."
wait_for "menu 0 top"

xdotool mousemove 130 160 click 1                   # the text edit showing "120"
wait_for focus
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
wait_focused_dialog '^Load VORN Drums Kit$'
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
wait_focused_dialog '^Load VORN Drums Kit$'
xdotool key Escape
wait_for "cancelled"
finish

# --- The folder browser: a double-click on a folder enters it; Return takes the selected folder.
mkdir -p "$work/kits/Sub/Inner"
start folder "$work/kits"
wait_focused_dialog '^Select App Folder$'
left=$(xwininfo -name 'Select App Folder' | awk '/Absolute upper-left X/ { print $NF }')
top=$(xwininfo -name 'Select App Folder' | awk '/Absolute upper-left Y/ { print $NF }')
# The list's rows are 18 pixels high from 58 pixels below the dialog's top: "..", then "Sub".
xdotool mousemove $((left + 100)) $((top + 58 + 18 + 9)) click --repeat 2 --delay 80 1
sleep 0.3
grep -q '^chosen' "$work/out" && fail "a double-click on a folder ended the folder browser"
sleep 0.5                                          # no double-click with the next one
xdotool click 1                                    # the second row inside Sub: "Inner"
xdotool key Return
wait_for "chosen $work/kits/Sub/Inner"
finish

# --- The message box: shown through the platform's message call, closed by Return.
start message
wait_focused_dialog '^VORN Studio$'
grep -q '^message closed' "$work/out" && fail "the message did not wait for the user"
xdotool key Return
wait_for "message closed"
finish
wait_for "popups 0"
wait_for "windows 0"
echo "all dialog window checks passed"
