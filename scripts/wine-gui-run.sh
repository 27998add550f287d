#!/usr/bin/env bash
# Runs one Windows program that shows windows, for CTest: through Wine with its X11 driver on an
# X server of its own (tests/support/with-xvfb.sh), in the Wine prefix kept for such programs
# ($RIMBA_WINE_GUI_PREFIX; the other tests' prefix has the null graphics driver, which shows no
# window). The prefix is made at its first use. Such programs run one at a time (their CTest
# resource lock): the prefix's Wine server is stopped after each, since the next program comes
# with another X server. The program's exit status is the script's.
#   scripts/wine-gui-run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
: "${RIMBA_WINE_GUI_PREFIX:?set RIMBA_WINE_GUI_PREFIX to the Wine prefix for programs with windows}"
export WINEPREFIX=$RIMBA_WINE_GUI_PREFIX WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

run_on_this_display() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    local status=0
    wine "$@" || status=$?
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    return "$status"
}
export -f run_on_this_display

exec "$root/tests/support/with-xvfb.sh" bash -c 'run_on_this_display "$@"' run_on_this_display "$@"
