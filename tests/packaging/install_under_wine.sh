#!/usr/bin/env bash
# The installer under Wine, per machine (Wine's COM reads only the machine's classes): install,
# save a PNG (pixel for pixel) and a JPEG through the installed program and component, with the
# shutter sound, and with a winmm.dll planted beside the program, upgrade to a newer package
# keeping setting.ini, uninstall, and find nothing of the package left.
# Usage: install_under_wine.sh BUILD_DIR
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
msi=$(echo "$build"/package/Pikuto-*.msi)
version=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" { print $2 }')
folder=$WINEPREFIX/drive_c/Program\ Files/Pikuto
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
wait_until() {
    for _ in $(seq 1 150); do "$@" && return 0; sleep 0.1; done
    fail "gave up waiting for: $*"
}
msiexec() { wine msiexec "$@" /qn || fail "msiexec $*"; }
driver() { wine "$build/PikutoDriver.exe" "$@" || fail "PikutoDriver $*"; }
camera_docked() { # Wine names the camera's X window after the program file
    xwininfo -root -tree -display "$DISPLAY" | awk '/"pikuto.exe"/ && / 50x22\+/ { found = $NF != "+0+0" } END { exit !found }'
}
# Every file, key and value of the prefix that names Pikuto.
traces() {
    find "$WINEPREFIX/drive_c" -ipath '*pikuto*' | sort
    for root in HKLM HKCU; do
        wine reg export "$root" "$scratch/$root.reg" /y >/dev/null
        iconv -f UTF-16 -t UTF-8 "$scratch/$root.reg" | tr -d '\r' | grep -i pikuto || true
    done
}
# The component's class keys for the machine, as text.
classes() {
    local key
    for key in 'CLSID\{804E5025-F06D-4218-8F1D-33B85AADB2E1}' 'CLSID\{D9DE9B08-7E6E-40E5-ADF6-8FAFFCEFEF6D}' \
        PikutoEncoder.JpegEncoder PikutoEncoder.PngEncoder; do
        if wine reg export "HKLM\\Software\\Classes\\$key" "$scratch/classes.reg" /y >/dev/null; then
            iconv -f UTF-16 -t UTF-8 "$scratch/classes.reg" | tr -d '\r'
        else
            echo "no $key"
        fi
    done
}
# The programs list's entries for Pikuto, as "product code|version|publisher".
installed() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
        awk '/^HKEY/ { code = $0; sub(/.*\\/, "", code); name = v = "" }
             $1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { v = $3 }
             $1 == "Publisher" && name == "Pikuto" { $1 = $2 = ""; sub(/^ +/, ""); print code "|" v "|" $0 }'
}
listed() { installed | cut -d'|' -f2-; }

# No earlier install (a run that failed half-way) and no earlier test's registration of the
# build's component: the package's files and keys must stand alone.
for code in $(installed | cut -d'|' -f1); do wine msiexec /x "$code" /qn || true; done
rm -rf "$folder"
wine regsvr32 /s /u "$(winepath -w "$build/encoder/PikutoEncoder.dll")" || true
traces >"$scratch/before"

msiexec /i "$(winepath -w "$msi")" ALLUSERS=1
[ "$(listed)" = "$version|The Pikuto Developers" ] || fail "programs list shows '$(listed)'"
[ -n "$(find "$WINEPREFIX/drive_c" -name Pikuto.lnk)" ] || fail "no Start menu shortcut"
# The package writes the very class keys the component writes when it registers itself.
classes >"$scratch/package-classes"
wine regsvr32 /s /u "C:\\Program Files\\Pikuto\\PikutoEncoder.dll" || fail "regsvr32 /u on the installed component"
wine regsvr32 /s "C:\\Program Files\\Pikuto\\PikutoEncoder.dll" || fail "regsvr32 on the installed component"
classes | diff "$scratch/package-classes" - || fail "the package's class keys differ from the component's"

# winmm is not a KnownDLL: told to prefer a DLL of that name beside the program, Wine would load
# it if the program imported winmm or looked for it anywhere but the system folder. The one planted
# here (the component, renamed) has no PlaySoundW: loaded, it would silence the shutter sound below.
cp "$folder/PikutoEncoder.dll" "$folder/winmm.dll"
# What the program plays lands in a file: ALSA reads .asoundrc from the HOME of Wine's process.
mkdir "$scratch/home"
echo "pcm.!default { type file; slave.pcm \"null\"; file \"$scratch/sound.raw\"; format \"raw\" }" \
    >"$scratch/home/.asoundrc"
HOME=$scratch/home WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winmm=n,b" wine "C:\\Program Files\\Pikuto\\Pikuto.exe" \
    >/dev/null 2>&1 &
pikuto=$!
wine "$build/tests/StandinBrowser.exe" "build A ie-sun" "raise A" >/dev/null 2>&1 &
wait_until camera_docked
for type in png jpeg; do
    driver click
    driver saveas "$(winepath -w "$scratch/canvas.$type")" "$type"
    if [ "$type" = jpeg ]; then
        driver wait "Pikuto - JPEG" 10000
        driver press "Pikuto - JPEG" ok # also writes setting.ini beside the program
    fi
    wait_until test -s "$scratch/canvas.$type"
    identify "$scratch/canvas.$type" | grep -q "${type^^} 710x380 " || fail "saved $(identify "$scratch/canvas.$type")"
done
# The first picture, taken before any dialog had opened, is the stand-in's canvas pixel for pixel
# (its pattern, from tests/standin/pattern.h): the copy from another process and the bitmap handed
# to the component, whole and the right way up.
convert -size 710x380 xc:black -channel R -fx 'floor(i/16)%2' -channel G -fx 'floor(j/16)%2' \
    -channel B -fx 'floor((i+2*j)/24)%2' +channel "$scratch/pattern.png"
differ=$(compare -metric AE "$scratch/pattern.png" "$scratch/canvas.png" null: 2>&1) || true
[ "$differ" = 0 ] || fail "the saved PNG differs from the canvas in $differ pixels"
# The click played the shutter sound whole: the wave's samples after its 58-byte header (ALSA's
# file output starts the file afresh for each sound, so it holds the last one).
shutter=$top/resources/art/shutter.wav
tail -c +59 "$shutter" | head -c $(($(od -An -tu4 -j54 -N4 "$shutter"))) >"$scratch/shutter.raw"
played() { cmp -s "$scratch/shutter.raw" "$scratch/sound.raw"; }
wait_until played
driver menu exit
wait "$pikuto"
rm "$folder/winmm.dll"

# A newer package replaces this one in place and keeps the settings.
(cd "$build/package/stage" && wixl -a x86 -D Version=9.9.9 -D "Publisher=The Pikuto Developers" \
    -o "$scratch/newer.msi" "$top/packaging/pikuto.wxs")
msiexec /i "$(winepath -w "$scratch/newer.msi")" ALLUSERS=1
[ "$(listed)" = "9.9.9|The Pikuto Developers" ] || fail "after the upgrade the programs list shows '$(listed)'"
[ -f "$folder/setting.ini" ] && [ -f "$folder/Pikuto.exe" ] || fail "upgrade lost setting.ini or the program"

# Removed the way the programs list does it, without ALLUSERS: only the settings stay.
msiexec /x "$(winepath -w "$scratch/newer.msi")"
[ "$(ls "$folder")" = setting.ini ] || fail "left in the folder: $(ls "$folder")"
rm -r "$folder"
traces | diff "$scratch/before" - || fail "the package left the traces above"
echo "installed, saved PNG and JPEG, upgraded and removed cleanly"
