#!/usr/bin/env bash
# Builds the encoder component's codecs (libjpeg-turbo, libpng) as static i686 libraries from
# Debian's source packages, into BUILD_DIR/codecs/prefix. A stamp makes a second run a no-op.
# Usage: scripts/build-codecs.sh BUILD_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:?usage: build-codecs.sh BUILD_DIR}
mkdir -p "$build_dir"
codecs=$(cd "$build_dir" && pwd)/codecs
prefix=$codecs/prefix
toolchain=$top/cmake/mingw-i686.cmake
zlib_include=/usr/i686-w64-mingw32/include
# The static zlib, so the encoder DLL does not import zlib1.dll.
zlib_library=/usr/i686-w64-mingw32/lib/libz.a

# The stamp records this script and the toolchain: editing either rebuilds.
stamp=$codecs/done.stamp
stamp_text=$(cat "$0" "$toolchain" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_text" ] &&
    [ -f "$prefix/include/jpeglib.h" ] && [ -f "$prefix/include/png.h" ]; then
    exit 0
fi

for tool in dpkg-source nasm i686-w64-mingw32-gcc-posix; do
    command -v "$tool" >/dev/null || { echo "build-codecs: $tool missing; run scripts/setup.sh" >&2; exit 1; }
done
[ -f "$zlib_library" ] || { echo "build-codecs: $zlib_library missing (libz-mingw-w64-dev)" >&2; exit 1; }

# An apt configuration of our own: only Debian's source indexes, kept inside the build tree,
# so the machine's apt state is neither read nor changed.
apt_dir=$codecs/apt
mkdir -p "$apt_dir/state/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/prefs"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
apt_opts=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::Etc::PreferencesParts=$apt_dir/prefs"
    -o "Dir::State=$apt_dir/state"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=root"
    -o "Debug::NoLocking=1"
    -q
)

src_dir=$codecs/src
mkdir -p "$src_dir"
fetch_source() { # package, glob of the unpacked directory
    local package=$1 pattern=$2 found
    found=$(find "$src_dir" -maxdepth 1 -type d -name "$pattern" | head -n 1)
    if [ -z "$found" ]; then
        if [ ! -f "$apt_dir/state/lists/.updated" ]; then
            apt-get "${apt_opts[@]}" update >&2
            touch "$apt_dir/state/lists/.updated"
        fi
        # Newest first; a mirror that lacks the newest upload's files still serves an older one.
        local version
        for version in $(apt-cache "${apt_opts[@]}" showsrc --only-source "$package" |
            sed -n 's/^Version: //p' | sort -u | sort -r -V); do
            (cd "$src_dir" && apt-get "${apt_opts[@]}" source "$package=$version" >&2) && break
            echo "build-codecs: $package $version not available, trying an older one" >&2
        done
        found=$(find "$src_dir" -maxdepth 1 -type d -name "$pattern" | head -n 1)
    fi
    [ -n "$found" ] || { echo "build-codecs: no source for $package" >&2; exit 1; }
    echo "$found"
}

jpeg_src=$(fetch_source libjpeg-turbo 'libjpeg-turbo-*')
png_src=$(fetch_source libpng1.6 'libpng1.6-*')

jobs=$(nproc)
common=(
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
    # Each function in a section of its own, so the component's link drops what it never calls;
    # no reading of settings from the environment (libjpeg's JPEGMEM would bring in scanf).
    "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections -DNO_GETENV"
)

# libjpeg-turbo: static only, SIMD through nasm (refuse to build without it rather than
# silently ship the slow C paths), no arithmetic coding (the component writes Huffman-coded files).
cmake -S "$jpeg_src" -B "$codecs/build-jpeg" "${common[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm \
    -DWITH_ARITH_ENC=OFF -DWITH_ARITH_DEC=OFF >/dev/null
cmake --build "$codecs/build-jpeg" -j "$jobs" --target jpeg-static >/dev/null
# Install the library and headers only; the command-line tools are not needed.
mkdir -p "$prefix/lib" "$prefix/include"
cp "$codecs/build-jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$jpeg_src/jpeglib.h" "$jpeg_src/jmorecfg.h" "$jpeg_src/jerror.h" "$codecs/build-jpeg/jconfig.h" \
    "$prefix/include/"

# libpng: static only, against Debian's MinGW zlib.
cmake -S "$png_src" -B "$codecs/build-png" "${common[@]}" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_INCLUDE_DIR="$zlib_include" -DZLIB_LIBRARY="$zlib_library" >/dev/null
cmake --build "$codecs/build-png" -j "$jobs" >/dev/null
cmake --install "$codecs/build-png" >/dev/null

echo "$stamp_text" >"$stamp"
echo "codecs ready in $prefix"
