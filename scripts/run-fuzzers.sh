#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (30 s unless FUZZ_SECONDS
# says otherwise), starting from its committed seeds in fuzz/corpus/<target>/ (the files of every
# historic form that the tests' layout builders make). New inputs go to a folder of the run's
# own, so the committed seeds never change. A crash or a sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIMBA_FUZZ=ON \
    -DRIMBA_BUILD_TESTS=OFF -DRIMBA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
for fuzzer in build-fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    seeds="fuzz/corpus/${name%_fuzz}"
    if [ ! -d "$seeds" ]; then
        echo "$name has no seeds in $seeds"
        exit 1
    fi
    corpus=$(mktemp -d)
    echo "fuzzing $name for ${seconds}s from $(find "$seeds" -type f | wc -l) seeds"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$corpus-" \
            "$corpus" "$seeds" >"$corpus.log" 2>&1; then
        tail -n 40 "$corpus.log"
        echo "$name found a failure (the input is kept as $corpus-crash-*)"
        exit 1
    fi
    grep -E '^#[0-9]+.*DONE' "$corpus.log" | tail -n 1 || true
    rm -rf "$corpus" "$corpus.log"
done
