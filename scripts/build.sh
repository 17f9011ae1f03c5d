#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default: build) with the MinGW toolchain.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build}
if [ -x "$top/scripts/build-codecs.sh" ]; then
    "$top/scripts/build-codecs.sh" "$build_dir"
fi
cmake -S "$top" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
