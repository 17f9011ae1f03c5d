#!/usr/bin/env bash
# Sets up the machine (as root), builds, and runs Pikuto under Wine on a private display,
# writing screenshots of what a user would see.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}

# --dialogs: also open the quality dialog and the About box from the camera's menu.
dialogs=0
for arg in "$@"; do
    case $arg in
    --dialogs) dialogs=1 ;;
    *)
        echo "usage: $0 [--dialogs]" >&2
        exit 2
        ;;
    esac
done

source "$top/scripts/wine-env.sh"
prepare_build_and_wine "$top" "$build_dir"

shots=$build_dir/demo
mkdir -p "$shots"

# Runs a test command every 0.1 s until it succeeds or about ten seconds have passed.
wait_until() {
    for _ in $(seq 1 100); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    echo "Gave up waiting for: $*" >&2
    return 1
}
# The camera window's position on the desktop (Wine names its X window after the program file).
camera_position() {
    xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | awk '/"pikuto.exe"/ && / 50x22\+/ {print $NF; exit}'
}
camera_shown() { [ -n "$(camera_position)" ]; }
camera_docked() { [ -n "$(camera_position)" ] && [ "$(camera_position)" != "+0+0" ]; }

wine "$build_dir/Pikuto.exe" &
pikuto=$!
wait_until camera_shown
wine_screenshot "$shots/camera.png"
echo "Screenshot of the camera window: $shots/camera.png"

# The stand-in browser: an Internet Explorer page with the applet under the Plug-in and a chat log
# that gains a line every three seconds, brought to the front after Pikuto so the camera docks.
wine "$build_dir/tests/StandinBrowser.exe" "build A ie-sun" "lines A 3" "autolines A 3000" "raise A" &
standin=$!
wait_until camera_docked
wine_screenshot "$shots/docked.png"
echo "Screenshot of the camera docked below the canvas: $shots/docked.png"

if [ "$dialogs" = 1 ]; then
    # The driver chooses the menu items as a user would and waits for each window by its caption;
    # the short pause lets the window finish painting before the screenshot.
    driver() { wine "$build_dir/PikutoDriver.exe" "$@"; }
    driver menu config
    driver wait "Pikuto - JPEG" 10000
    sleep 0.5
    wine_screenshot "$shots/quality-dialog.png"
    echo "Screenshot of the quality dialog: $shots/quality-dialog.png"
    driver close "Pikuto - JPEG" # closed without OK: nothing is stored
    driver gone "Pikuto - JPEG" 10000
    driver menu about
    driver wait "Pikuto" 10000
    sleep 0.5
    wine_screenshot "$shots/about-box.png"
    echo "Screenshot of the About box: $shots/about-box.png"
    driver close "Pikuto"
fi

# Saving: the encoder component registered for the machine (Wine's COM reads only the machine's
# classes), then one click on the camera per type, the Save As dialog worked by the driver, and
# for JPEG the quality dialog confirmed as it opens.
wine regsvr32 /s "$(winepath -w "$build_dir/encoder/PikutoEncoder.dll")"
saved=$build_dir/demo/saved
mkdir -p "$saved"
rm -f "$saved"/canvas.*
for type in png jpeg bmp; do
    file=$saved/canvas.${type/jpeg/jpg}
    wine "$build_dir/PikutoDriver.exe" click
    wine "$build_dir/PikutoDriver.exe" saveas "$(winepath -w "$file")" "$type"
    if [ "$type" = jpeg ]; then
        wine "$build_dir/PikutoDriver.exe" wait "Pikuto - JPEG" 10000
        wine "$build_dir/PikutoDriver.exe" press "Pikuto - JPEG" ok
    fi
    wait_until test -s "$file"
    echo "Saved the canvas as ${type^^}: $file"
done

kill "$pikuto" "$standin" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
