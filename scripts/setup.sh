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
    time hyperfine locales
)
packages+=("$@")

# The ZIP tests run one program under a Russian locale, so that Wine gives it
# the single-byte code page 1251.
ensure_test_locales() {
    locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return 0
    command -v localedef >/dev/null 2>&1 || return 0
    ${SUDO:-} localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
if [ ${#missing[@]} -eq 0 ]; then
    ensure_test_locales
    exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_test_locales
