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
    chromium pngquant
    time hyperfine locales
    dpkg-dev libbz2-dev liblzma-dev libdeflate-dev
)
packages+=("$@")

# The ZIP tests run one program under a Russian locale, so that Wine gives it
# the single-byte code page 1251.
ensure_test_locales() {
    locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return 0
    command -v localedef >/dev/null 2>&1 || return 0
    ${SUDO:-} localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}

# The ZIP library's decoders for bzip2, LZMA and Deflate64 are built from
# Debian's own source packages (scripts/codecs.sh), which apt fetches through
# deb-src entries. When none is configured, one is added for each Debian entry
# the machine already uses (same mirror, suites and components); the script
# never names a package host of its own.
deb_src_entries() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # deb822 stanzas: copy each enabled "deb" stanza of a Debian mirror as deb-src.
        awk 'function flush() {
                 if (stanza != "" && deb && debian && !disabled) {
                     gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src", stanza)
                     sub(/^\n/, "", stanza)
                     printf "%s\n\n", stanza
                 }
                 stanza = ""; deb = debian = disabled = 0
             }
             /^[ \t]*$/ { flush(); next }
             /^Types:/ && / deb( |$)/ { deb = 1 }
             /^URIs:/ && /debian/ { debian = 1 }
             /^Enabled:[ \t]*no/ { disabled = 1 }
             { stanza = stanza (stanza == "" ? "" : "\n") $0 }
             END { flush() }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -n -E 's/^deb([ \t].*debian.*)$/deb-src\1/p' "$f"
    done
}
ensure_deb_src() {
    apt-cache showsrc bzip2 2>/dev/null | grep -q '^Package:' && return 0
    local entries
    entries="$(deb_src_entries)"
    if [ -z "$entries" ]; then
        cat >&2 <<'EOF'
setup.sh: apt knows no source packages, and no Debian package source is
configured to take them from. Configure the Debian mirror this machine may use
(a "deb" line in /etc/apt/sources.list or a "Types: deb" stanza in
/etc/apt/sources.list.d/*.sources), or add its "deb-src" entry yourself, run
apt-get update, and run this script again.
EOF
        exit 1
    fi
    if printf '%s\n' "$entries" | grep -q '^deb-src '; then
        printf '%s\n' "$entries" | grep '^deb-src ' | $SUDO tee /etc/apt/sources.list.d/tallybox-src.list >/dev/null
    fi
    if printf '%s\n' "$entries" | grep -q '^Types:'; then
        printf '%s\n' "$entries" | grep -v '^deb-src ' | $SUDO tee /etc/apt/sources.list.d/tallybox-src.sources >/dev/null
    fi
    $SUDO apt-get update -qq
}

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    ensure_test_locales
    ensure_deb_src
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
ensure_deb_src
