#!/usr/bin/env bash
# The zip's install.cmd and uninstall.cmd under Wine: they register and unregister the encoder
# component for the current user only, say what they did, and fail when regsvr32 fails.
# Usage: zip_scripts.sh PACKAGE_DIR
set -euo pipefail
zip=$(echo "$1"/Pikuto-*-win32.zip)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && unzip -q "$zip")
dll=$(winepath -w "$scratch/PikutoEncoder.dll")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Both classes' servers and threading models under one root, as one line.
servers() {
    local clsid
    for clsid in '{804E5025-F06D-4218-8F1D-33B85AADB2E1}' '{D9DE9B08-7E6E-40E5-ADF6-8FAFFCEFEF6D}'; do
        { wine reg query "$1\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" 2>/dev/null || true; } | tr -d '\r' |
            sed -n 's/^ *\((Default)\|ThreadingModel\) *REG_SZ *//p' | tr '\n' ' '
    done
}
# Runs a script of the unpacked zip: its output, then "exit N" on a line of its own.
run() {
    (cd "$scratch" && wine cmd /c "$1" </dev/null | tr -d '\r') && status=0 || status=$?
    printf '\nexit %s\n' "$status"
}

machine=$(servers HKLM)
output=$(run install.cmd)
[[ $output == *"Registered the image encoder component \"$dll\" for"*$'\nexit 0' ]] || fail "install.cmd said: $output"
[ "$(servers HKCU)" = "$dll Apartment $dll Apartment " ] || fail "registered for the user: $(servers HKCU)"
[ "$(servers HKLM)" = "$machine" ] || fail "install.cmd changed the machine's classes"

output=$(run uninstall.cmd)
[[ $output == *"Unregistered the image encoder component"*$'\nexit 0' ]] || fail "uninstall.cmd said: $output"
[ -z "$(servers HKCU)" ] || fail "left registered for the user: $(servers HKCU)"

# A component that cannot register: install.cmd must say so and fail, not claim success.
cp "$scratch/README.txt" "$scratch/PikutoEncoder.dll"
output=$(run install.cmd)
[[ $output == *"Could not register"* && $output != *$'\nexit 0' ]] || fail "install.cmd on a broken DLL said: $output"
echo "install.cmd and uninstall.cmd register and unregister for the current user"
