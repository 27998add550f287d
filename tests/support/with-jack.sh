#!/usr/bin/env bash
# Runs a command beside a JACK server of its own (dummy driver, no sound card needed), named
# uniquely so parallel runs stay apart; the server ends with the command. The command finds the
# server's process in RIMBA_JACKD_PID and its options in RIMBA_JACKD_OPTIONS, so a test may stop
# it and start another under the same name (and end that one itself) while the lock is held.
#   tests/support/with-jack.sh [-r RATE] [-p PERIOD] COMMAND [ARGUMENTS...]
set -euo pipefail

rate=44100
period=256
while [ $# -gt 0 ]; do
    case "$1" in
        -r) rate=$2; shift 2 ;;
        -p) period=$2; shift 2 ;;
        *) break ;;
    esac
done

export JACK_NO_START_SERVER=1
export JACK_DEFAULT_SERVER="rimba-test-$$-$RANDOM"
log=$(mktemp "${TMPDIR:-/tmp}/rimba-jackd.XXXXXX")
# JACK servers of one machine share a registry in /dev/shm, and one starting or stopping while
# another serves can end it or make it refuse clients: tests run beside a server one at a time.
exec 9>"${TMPDIR:-/tmp}/rimba-jackd.lock"
flock 9
export RIMBA_JACKD_OPTIONS="-d dummy -r $rate -p $period"
# shellcheck disable=SC2086
jackd -n "$JACK_DEFAULT_SERVER" $RIMBA_JACKD_OPTIONS >"$log" 2>&1 9>&- &
server=$!
export RIMBA_JACKD_PID=$server
cleanup() {
    kill -TERM "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -f "$log"
}
trap cleanup EXIT

# A busy machine can take seconds to start a server.
for _ in $(seq 1500); do
    jack_lsp >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || { echo "jackd did not start:" >&2; cat "$log" >&2; exit 1; }
    sleep 0.02
done
jack_lsp >/dev/null 2>&1 || { echo "jackd did not answer" >&2; cat "$log" >&2; exit 1; }

status=0
"$@" 9>&- || status=$?
exit "$status"
