#!/usr/bin/env bash
# Builds the encoder benchmark natively (Release, without the tests' sanitizers) into
# BUILD_DIR/bench-native and runs it: the corpus of tools/bench_corpus.h through the codecs and
# through optipng and cjpeg, installed here when missing. Prints Markdown tables; the files go to
# BUILD_DIR/bench-native/files. BUILD_DIR defaults to build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}/bench-native
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

if ! command -v optipng >/dev/null || ! command -v cjpeg >/dev/null; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends optipng libjpeg-turbo-progs >/dev/null
fi

cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DPIKUTO_TESTS=OFF \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$build_dir" --target encoder_bench -j "$jobs" >/dev/null
"$build_dir/tools/encoder_bench" "$build_dir/files"

# The program's own save path against the bare encode-and-write, under Wine, when the Windows
# build exists (scripts/test.sh or scripts/demo.sh made it).
win_build=${BUILD_DIR:-$top/build}
if [ -f "$win_build/CMakeCache.txt" ] && grep -q mingw "$win_build/CMakeCache.txt"; then
    cmake --build "$win_build" --target save_bench PikutoEncoder -j "$jobs" >/dev/null
    source "$top/scripts/wine-env.sh"
    wine_env_init "$win_build"
    trap wine_stop EXIT
    wine_start
    wine regsvr32 /s "$(winepath -w "$win_build/encoder/PikutoEncoder.dll")"
    echo
    wine "$win_build/tools/save_bench.exe"
fi
