#!/usr/bin/env bash
# Builds the Windows packages from a finished build: Pikuto-<version>.msi (wixl, from
# packaging/pikuto.wxs) and the portable Pikuto-<version>-win32.zip, both with the licence and
# the third-party notices, into BUILD_DIR/package.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build; run scripts/build.sh first)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-$top/build}" && pwd)
out=$build_dir/package
stage=$out/stage

fail() {
    echo "package: $*" >&2
    exit 1
}
for tool in wixl zip dpkg-parsechangelog dpkg-query; do
    command -v "$tool" >/dev/null || fail "$tool missing; run scripts/setup.sh"
done

# One version and one publisher, from the header that feeds the version resources. Windows
# Installer compares major.minor.build of ProductVersion, so the third field is the revision.
header_value() { sed -n "s/^#define $1 \"\{0,1\}\([^\"]*\)\"\{0,1\}\$/\1/p" "$top/resources/version.h"; }
version=$(header_value PIKUTO_VERSION_MAJOR).$(header_value PIKUTO_VERSION_MINOR).$(header_value PIKUTO_VERSION_REVISION)
publisher=$(header_value PIKUTO_COMPANY_NAME)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no version in resources/version.h (read '$version')"
[ -n "$publisher" ] || fail "no PIKUTO_COMPANY_NAME in resources/version.h"

rm -rf "$out"
mkdir -p "$stage"
for binary in Pikuto.exe encoder/PikutoEncoder.dll; do
    [ -f "$build_dir/$binary" ] || fail "$build_dir/$binary missing; run scripts/build.sh $build_dir first"
    cp "$build_dir/$binary" "$stage/"
done

# Text for Windows: CRLF line ends. README.txt also starts with a byte-order mark, so Notepad
# reads it as UTF-8 whatever the system's code page.
to_crlf() { sed 's/\r*$/\r/'; }
{
    printf '\xEF\xBB\xBF'
    sed "s/@VERSION@/$version/g" "$top/packaging/README.txt" | to_crlf
} >"$stage/README.txt"
to_crlf <"$top/LICENSE" >"$stage/LICENSE.txt"
for script in install.cmd uninstall.cmd; do
    to_crlf <"$top/packaging/$script" >"$stage/$script"
done

# Licence texts, taken from the very sources and packages the build used; a text not found
# stops the packaging rather than ship without it.
need() { [ -s "$1" ] || fail "licence text not found: $1"; }
# The codec sources the build compiled, as their CMake caches name them.
codec_source() {
    local dir
    dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build_dir/codecs/$1/CMakeCache.txt" 2>/dev/null || true)
    [ -d "$dir" ] || fail "no codec source recorded in $build_dir/codecs/$1 (built by scripts/build-codecs.sh)"
    echo "$dir"
}
# "upstream (Debian source package name version)" from an unpacked Debian source.
source_version() {
    local package full
    package=$(dpkg-parsechangelog -l "$1/debian/changelog" -S Source)
    full=$(dpkg-parsechangelog -l "$1/debian/changelog" -S Version)
    echo "$(echo "$full" | sed 's/^[0-9]*://; s/-[^-]*$//') (Debian source package $package $full)"
}
# Paragraphs of a Debian copyright file picked by their first line, unindented, " ." made blank.
copyright_paragraph() {
    local text
    text=$(awk -v first="$2" 'BEGIN { RS = "" } { line = $0; sub(/\n.*/, "", line) } line == first { print; exit }' "$1" |
        sed 's/^ \.$//; s/^ //')
    [ -n "$text" ] || fail "'$2' not found in $1"
    printf '%s\n\n' "$text"
}
heading() { printf '\n%s\n%s\n\n' "$1" "$(echo "$1" | sed 's/./-/g')"; }

jpeg=$(codec_source build-jpeg)
png=$(codec_source build-png)
zlib_copyright=/usr/share/doc/libz-mingw-w64-dev/copyright
mingw_copyright=/usr/share/doc/mingw-w64-i686-dev/copyright
for file in "$jpeg/LICENSE.md" "$jpeg/README.ijg" "$png/LICENSE" "$zlib_copyright" "$mingw_copyright"; do
    need "$file"
done
ijg_notice=$(sed -n '/^LEGAL ISSUES$/,/^REFERENCES$/p' "$jpeg/README.ijg" | sed '$d')
[[ $ijg_notice == *"Independent JPEG Group"* ]] || fail "no IJG notice (LEGAL ISSUES) in $jpeg/README.ijg"
{
    echo "Third-party software in Pikuto"
    echo "=============================="
    echo
    echo "PikutoEncoder.dll contains libjpeg-turbo, libpng and zlib, linked statically. Both"
    echo "binaries contain parts of the MinGW-w64 runtime (winpthreads). Their licence texts follow,"
    echo "taken from the sources and packages this build used."
    echo
    echo "This software is based in part on the work of the Independent JPEG Group."

    heading "libjpeg-turbo $(source_version "$jpeg")"
    cat "$jpeg/LICENSE.md"
    heading "The Independent JPEG Group's notice (from libjpeg-turbo's README.ijg)"
    echo "$ijg_notice"

    heading "libpng $(source_version "$png")"
    cat "$png/LICENSE"

    heading "zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev | sed 's/[+-].*//') (Debian package libz-mingw-w64-dev $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev))"
    copyright_paragraph "$zlib_copyright" "Files: *"
    copyright_paragraph "$zlib_copyright" "License: Zlib"

    heading "MinGW-w64 runtime $(dpkg-query -W -f='${Version}' mingw-w64-i686-dev | sed 's/-[^-]*$//') (Debian package mingw-w64-i686-dev $(dpkg-query -W -f='${Version}' mingw-w64-i686-dev))"
    copyright_paragraph "$mingw_copyright" "Files: *"
    copyright_paragraph "$mingw_copyright" "Files: mingw-w64-libraries/winpthreads/*"
    copyright_paragraph "$mingw_copyright" "License: expat"
    copyright_paragraph "$mingw_copyright" "Files: mingw-w64-libraries/winpthreads/include/pthread.h"
} | to_crlf >"$stage/THIRD-PARTY-NOTICES.txt"

# The installer. wixl reads the files named in the source from the current directory, and skips
# an attribute it does not know with only a warning: any warning fails the build.
msi=$out/Pikuto-$version.msi
cp "$top/resources/art/pikuto.ico" "$stage/"
(cd "$stage" && wixl -a x86 -D "Version=$version" -D "Publisher=$publisher" -o "$msi" "$top/packaging/pikuto.wxs") \
    2>"$out/wixl.log" || { cat "$out/wixl.log" >&2; fail "wixl failed"; }
if [ -s "$out/wixl.log" ]; then
    cat "$out/wixl.log" >&2
    fail "wixl warned; the package may lack what the source asks for"
fi

zip_file=$out/Pikuto-$version-win32.zip
(cd "$stage" && zip -q -X "$zip_file" Pikuto.exe PikutoEncoder.dll README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt \
    install.cmd uninstall.cmd)

echo "$msi"
echo "$zip_file"
