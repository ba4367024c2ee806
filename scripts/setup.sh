#!/usr/bin/env bash
# Installs whatever the build and the tests need and is missing (Debian 12).
# Quick when everything is there already. Extra packages can be named as arguments.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev
    wine wine32:i386 wine64 fonts-wine
    xvfb xauth imagemagick x11-utils
    doctest-dev cmake ninja-build g++ zlib1g-dev libssl-dev
    clang libclang-rt-14-dev
    zip unzip p7zip-full python3
    nsis
    time hyperfine
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
