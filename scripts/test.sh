#!/usr/bin/env bash
# Sets up the machine (as root), builds, and runs every test under Wine on a private display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}

if [ "$(id -u)" = 0 ]; then
    "$top/scripts/setup.sh"
fi
"$top/scripts/build.sh" "$build_dir"

source "$top/scripts/wine-env.sh"
wine_env_init "$build_dir"
trap wine_stop EXIT
wine_start

cd "$build_dir"
ctest --output-on-failure --timeout 300 "$@"
