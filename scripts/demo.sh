#!/usr/bin/env bash
# Sets up the machine (as root), builds, and runs Pikuto under Wine on a private display,
# writing screenshots of what a user would see.
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

shots=$build_dir/demo
mkdir -p "$shots"

# Waits (bounded) until a top-level window of the given class exists on the display.
wait_for_camera() {
    for _ in $(seq 1 100); do
        if xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q 'Pikuto'; then return 0; fi
        sleep 0.1
    done
}

wine "$build_dir/Pikuto.exe" &
pikuto=$!
wait_for_camera
sleep 1 # let the first ticks place the window
wine_screenshot "$shots/camera.png"
echo "Screenshot of the camera window: $shots/camera.png"

kill "$pikuto" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
