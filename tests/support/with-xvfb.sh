#!/usr/bin/env bash
# Runs a command with DISPLAY set to an X server of its own (Xvfb, 1280x1024, 24 bits), which
# ends with the command. The command's exit status is the script's.
#   tests/support/with-xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail

work=$(mktemp -d "${TMPDIR:-/tmp}/rimba-xvfb.XXXXXX")
cleanup() {
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
server=$!
exec 3>&-
for _ in $(seq 500); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.02
done
[ -s "$work/display" ] || { echo "Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

status=0
"$@" || status=$?
exit "$status"
