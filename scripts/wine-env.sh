# Sourced by the scripts: a Wine prefix and an Xvfb display private to one build tree.
# Usage: source scripts/wine-env.sh; prepare_build_and_wine TOP BUILD_DIR (or wine_env_init BUILD_DIR; wine_start)
# shellcheck shell=bash

wine_env_init() {
    local build_dir=$1
    mkdir -p "$build_dir"
    WINE_STATE_DIR=$(cd "$build_dir" && pwd)/wine
    export WINEPREFIX=$WINE_STATE_DIR/prefix
    export WINEARCH=win32
    # No prompts for Wine's .NET and HTML add-ons; no desktop menu entries; no debugger waiting
    # on a crashed test (it would hold the test until ctest's timeout).
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
    export WINEDEBUG=-all
    # A Western locale on purpose: Japanese must come out right through the wide calls alone.
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    mkdir -p "$WINE_STATE_DIR"
}

# Starts Xvfb on a free display number and records its process id.
wine_start_display() {
    local fifo=$WINE_STATE_DIR/displayfd
    rm -f "$fifo"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    echo $! >"$WINE_STATE_DIR/xvfb.pid"
    local number
    if ! read -r -t 20 number <"$fifo"; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    rm -f "$fifo"
    export DISPLAY=:$number
}

# Creates the prefix once: a virtual desktop (Wine draws caption bars there without a window
# manager, and keeps its own foreground rules), and a proportional Japanese font linked into the
# dialog fonts.
wine_init_prefix() {
    [ -f "$WINEPREFIX/.pikuto-ready-3" ] && return 0
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    # reg.exe takes the multi-string as text; a .reg file's hex(7) bytes would need a UTF-16 file.
    local face
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$face" /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.pikuto-ready-3"
}

# One persistent wineserver for the whole run: a wineserver started inside a test would keep
# ctest's output pipe open and hang it.
wine_start() {
    wine_start_display
    wine_init_prefix
    wineserver -p </dev/null >/dev/null 2>&1
    # Wine's own background processes (services, the desktop window) outlive the program that
    # starts them and inherit its output: start them here, away from ctest's pipes.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    wine explorer /desktop=Default,1280x1024 </dev/null >/dev/null 2>&1 &
    local _
    for _ in $(seq 1 100); do
        xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q 'Wine desktop' && break
        sleep 0.1
    done
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$WINE_STATE_DIR/xvfb.pid" ]; then
        kill "$(cat "$WINE_STATE_DIR/xvfb.pid")" 2>/dev/null || true
        rm -f "$WINE_STATE_DIR/xvfb.pid"
    fi
}

# Screenshot of the whole display as PNG (Debian's ImageMagick, not any stand-in on PATH).
wine_screenshot() {
    /usr/bin/import -window root -display "$DISPLAY" "$1"
}

# The common start of the demo and the tests: set up the machine (as root), build into
# BUILD_DIR, then start the private display and Wine, stopped again when the script exits.
prepare_build_and_wine() {
    local top=$1 build_dir=$2
    if [ "$(id -u)" = 0 ]; then
        "$top/scripts/setup.sh"
    fi
    "$top/scripts/build.sh" "$build_dir"
    wine_env_init "$build_dir"
    trap wine_stop EXIT
    wine_start
}
