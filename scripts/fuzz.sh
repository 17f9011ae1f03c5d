#!/usr/bin/env bash
# Explores each fuzz target for SECONDS (default 60), growing its corpus in tests/fuzz/corpus/.
# Crashing inputs land in BUILD_DIR/fuzz/artifacts/; add each one to the corpus once fixed.
# Usage: scripts/fuzz.sh [SECONDS]   (builds with scripts/native-tests.sh's configuration first)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}
seconds=${1:-60}
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

cmake -S "$top" -B "$build_dir/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIKUTO_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build_dir/fuzz" -j "$jobs"
mkdir -p "$build_dir/fuzz/artifacts"
for corpus in "$top"/tests/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    echo "fuzz_$target: $seconds s"
    "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build_dir/fuzz/artifacts/$target-" "$corpus"
done
