#!/usr/bin/env bash
# The packages as built: one version and one publisher everywhere; the installer's per-user tables
# (Wine cannot show a per-user install); the zip's files in the forms Windows wants.
# Usage: contents.sh TOP PACKAGE_DIR
set -euo pipefail
top=$1 package=$2
failures=0
check() { # what, then a command that must succeed
    local what=$1
    shift
    "$@" || { echo "FAIL: $what" >&2; failures=$((failures + 1)); }
}
header_value() { sed -n "s/^#define PIKUTO_$1 \"\{0,1\}\([^\"]*\)\"\{0,1\}\$/\1/p" "$top/resources/version.h"; }
major=$(header_value VERSION_MAJOR) minor=$(header_value VERSION_MINOR)
build=$(header_value VERSION_BUILD) revision=$(header_value VERSION_REVISION)
publisher=$(header_value COMPANY_NAME)
msi=$package/Pikuto-$major.$minor.$revision.msi
zip=$package/Pikuto-$major.$minor.$revision-win32.zip
[ -f "$msi" ] && [ -f "$zip" ] || { echo "FAIL: no $msi and $zip" >&2; exit 1; }
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
column() { table "$1" | awk -F'\t' -v key="$2" -v n="$3" '$1 == key { print $n }'; }

# One version and one publisher: the header, the package, the file names, both binaries' version
# resources (the fixed part, after the key and two bytes of padding, is what Windows and the About
# box read).
check "ProductVersion" [ "$(column Property ProductVersion 2)" = "$major.$minor.$revision" ]
check "Manufacturer" [ "$(column Property Manufacturer 2)" = "$publisher" ]
check "manifest version" grep -q "name=\"Pikuto\" version=\"$major.$minor.$build.$revision\"" \
    "$top/resources/pikuto.manifest"
for binary in "$package/stage/Pikuto.exe" "$package/stage/PikutoEncoder.dll"; do
    key=$(LC_ALL=C grep -obUaP 'V\x00S\x00_\x00V\x00E\x00R\x00S\x00I\x00O\x00N\x00_\x00I\x00N\x00F\x00O\x00\x00\x00\x00\x00\xbd\x04\xef\xfe' \
        "$binary" | head -n 1 | cut -d: -f1)
    read -r low high _ _ fixed_minor fixed_major fixed_revision fixed_build < \
        <(od -An -tu2 -j $((${key:-0} + 34)) -N 16 "$binary")
    check "$binary file version" [ "$low $high $fixed_major.$fixed_minor.$fixed_build.$fixed_revision" = \
        "1213 65263 $major.$minor.$build.$revision" ]
    check "$binary company name" [ "$(strings -el "$binary" | grep -A1 -x CompanyName | tail -n 1)" = "$publisher" ]
done

# Per user by default: no ALLUSERS, and the summary's word count says no elevation is needed.
check "no ALLUSERS" [ -z "$(column Property ALLUSERS 2)" ]
check "no elevation" [ $(($(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\).*/\1/p') & 8)) = 8 ]
# The folder in the user's local application data, and every folder made there removed again.
in_profile() {
    local dir=$1
    while dir=$(column Directory "$dir" 2) && [ -n "$dir" ]; do [ "$dir" = LocalAppDataFolder ] && return 0; done
    return 1
}
check "INSTALLDIR in the user's local application data" in_profile INSTALLDIR
for dir in $(table Directory | cut -f1); do
    if in_profile "$dir"; then
        check "RemoveFolder for $dir" grep -qP "^[^\t]+\t[^\t]+\t\t$dir\t[23]\$" <(table RemoveFile)
    fi
done
# Every key under the current user's registry (HKCR, 0, is the user's classes in a per-user
# install; HKCU is 1), and every component's key path an HKCU value.
check "only HKCR and HKCU keys" [ -z "$(table Registry | awk -F'\t' '$2 != 0 && $2 != 1')" ]
for keypath in $(table Component | cut -f6); do
    check "key path $keypath under HKCU" [ "$(column Registry "$keypath" 2)" = 1 ]
done

# The zip: its seven files; text with CRLF line ends, README.txt with a byte-order mark and the
# Japanese first, the scripts ASCII; the notices naming each library with its version.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && unzip -q "$zip")
check "zip files" [ "$(cd "$unpacked" && ls | LC_ALL=C sort | xargs)" = \
    "LICENSE.txt Pikuto.exe PikutoEncoder.dll README.txt THIRD-PARTY-NOTICES.txt install.cmd uninstall.cmd" ]
for text in README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt install.cmd uninstall.cmd; do
    check "$text CRLF" [ "$(grep -c $'\r$' "$unpacked/$text")" = "$(wc -l <"$unpacked/$text")" ]
done
check "README.txt BOM" [ "$(head -c 3 "$unpacked/README.txt" | od -An -tx1 | xargs)" = "ef bb bf" ]
check "README.txt Japanese first" [ "$(grep -n -m 1 'Pikuto とは' "$unpacked/README.txt" | cut -d: -f1)" -lt \
    "$(grep -n -m 1 'What it does' "$unpacked/README.txt" | cut -d: -f1)" ]
check "scripts ASCII" bash -c "! LC_ALL=C grep -qP '[^\x00-\x7F]' '$unpacked/install.cmd' '$unpacked/uninstall.cmd'"
for library in "libjpeg-turbo [0-9.]+ " "libpng [0-9.]+ " "zlib [0-9.]+ " "MinGW-w64 runtime [0-9.]+ "; do
    check "notices: $library" grep -qE "^$library\(Debian" "$unpacked/THIRD-PARTY-NOTICES.txt"
done

[ "$failures" = 0 ] || { echo "$failures checks failed" >&2; exit 1; }
echo "packages hold one version, per-user tables, Windows text files and the licences"
