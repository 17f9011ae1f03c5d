#!/usr/bin/env bash
# Builds the portable core's native tests (g++, sanitizers) into BUILD_DIR/native and its fuzz
# targets (clang, libFuzzer) into BUILD_DIR/fuzz, runs the tests and replays every fuzz corpus once.
# BUILD_DIR defaults to build/; extra arguments go to ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

cmake -S "$top" -B "$build_dir/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$build_dir/native" -j "$jobs"
cmake -S "$top" -B "$build_dir/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIKUTO_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build_dir/fuzz" -j "$jobs"

ctest --test-dir "$build_dir/native" --output-on-failure -j "$jobs" "$@"

# A fuzz target given files runs each once and stops at the first failure.
for corpus in "$top"/tests/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    "$build_dir/fuzz/fuzz_$target" "$corpus"* 2>"$build_dir/fuzz/replay-$target.log" ||
        { cat "$build_dir/fuzz/replay-$target.log" >&2; echo "replay of $target's corpus failed" >&2; exit 1; }
    echo "fuzz_$target: replayed $(find "$corpus" -type f | wc -l) inputs"
done
