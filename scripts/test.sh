#!/usr/bin/env bash
# Sets up the machine (as root), builds, and runs every test under Wine on a private display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}

source "$top/scripts/wine-env.sh"
prepare_build_and_wine "$top" "$build_dir"
"$top/scripts/native-tests.sh" # the portable core natively first: seconds, with sanitizers and fuzz corpora

cd "$build_dir"
ctest --output-on-failure --timeout 300 "$@"
