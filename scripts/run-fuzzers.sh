#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (30 s unless FUZZ_SECONDS
# says otherwise). A crash or a sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIMBA_FUZZ=ON \
    -DRIMBA_BUILD_TESTS=OFF -DRIMBA_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
for fuzzer in build-fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    corpus=$(mktemp -d)
    echo "fuzzing $(basename "$fuzzer") for ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "$corpus" >"$corpus.log" 2>&1; then
        tail -n 40 "$corpus.log"
        echo "$(basename "$fuzzer") found a failure"
        exit 1
    fi
    grep -E '^#[0-9]+.*DONE' "$corpus.log" | tail -n 1 || true
    rm -rf "$corpus" "$corpus.log"
done
