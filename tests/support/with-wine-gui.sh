#!/usr/bin/env bash
# Runs a Windows program through Wine with windows that can be seen, shown and driven (xdotool):
# on an Xvfb of its own (with-xvfb.sh), in a Wine prefix with the X11 graphics driver, made at
# PREFIX when it is not there yet. The Windows run's own prefix has the null driver, with which
# no window can be shown. Tests through this script take turns (one wineserver per prefix, and
# its desktop follows the first program's display), so it stops the server when the program ends.
#   tests/support/with-wine-gui.sh PREFIX PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$1
shift
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

run_in_display() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
    fi
    # A prefix copied from the Windows run's would still name the null driver.
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    wineserver -p 2>/dev/null || true
    status=0
    wine "$@" || status=$?
    wineserver -k >/dev/null 2>&1 || true
    return "$status"
}
export -f run_in_display
exec "$here/with-xvfb.sh" bash -c 'run_in_display "$@"' run_in_display "$@"
