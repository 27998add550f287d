#!/usr/bin/env bash
# Runs one Windows test program through Wine for CTest.
# Now and then Wine fails to start a program at all: it exits at once, non-zero, with nothing
# printed (about once in a few thousand starts here). A test program always prints something
# once it runs, so only such a start is tried once more, and it is written down in
# $RIMBA_WINE_RETRY_LOG for the run to report. A program that ran and failed is never repeated.
set -u
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

run_once() {
    wine "$@" >"$out" 2>"$err"
}

run_once "$@"
status=$?
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    if [ -n "${RIMBA_WINE_RETRY_LOG:-}" ]; then
        echo "Wine did not start (exit $status, nothing printed), started again: $*" >>"$RIMBA_WINE_RETRY_LOG"
    fi
    run_once "$@"
    status=$?
fi
cat "$out"
cat "$err" >&2
exit "$status"
