#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing Pikuto.
# Idempotent: a second run only checks that everything is there.
set -euo pipefail

packages=(
    cmake make g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
    googletest libz-mingw-w64-dev dpkg-dev nasm
    wine wine32:i386 fonts-wine xvfb x11-utils imagemagick fonts-ipafont-gothic
    python3
    g++ libgtest-dev libjpeg62-turbo-dev libpng-dev clang-14 libclang-rt-14-dev
    msitools wixl zip unzip
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    missing=(update)
fi
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# The posix threading flavour is the one that carries std::thread and friends.
for tool in i686-w64-mingw32-g++ i686-w64-mingw32-gcc; do
    want=/usr/bin/$tool-posix
    [ "$(readlink -f "/usr/bin/$tool")" = "$(readlink -f "$want")" ] || update-alternatives --set "$tool" "$want" >/dev/null
done
