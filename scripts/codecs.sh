#!/usr/bin/env bash
# Builds the decoders the ZIP library reads other tools' archives with, from
# Debian's own source packages, and caches them in the build tree:
#   OUT/i686-w64-mingw32/{include,lib}   libbz2.a and liblzma.a (decoders only)
#                                        and libdeflate.a (whole-buffer deflate,
#                                        inflate and CRC-32) for the 32-bit
#                                        Windows DLLs;
#   OUT/src/infback9/                    zlib's Deflate64 decoder (contrib/infback9,
#                                        with the zlib headers it needs), compiled
#                                        by CMake for either build; its header
#   OUT/include/infback9.h               alone, for the library's code.
# Natively the library uses Debian's libbz2-dev, liblzma-dev and libdeflate-dev.
#   bash scripts/codecs.sh OUT           quick when OUT is complete
# Debian's zlib source package leaves contrib/infback9 out; binutils' source
# package carries a complete zlib, and only that folder is taken from it.
set -euo pipefail
out="$(mkdir -p "$1" && cd "$1" && pwd)"
host=i686-w64-mingw32
jobs="${TB_JOBS:-2}"
# The stamp names this recipe: a changed recipe builds everything again (the
# downloads are kept).
stamp="$out/codecs-5.done"
[ -f "$stamp" ] && exit 0
rm -rf "$out/$host" "$out/src" "$out/include" "$out"/codecs-*.done

downloads="$out/downloads"
# Each function in a section of its own and no unwind tables (which would
# refer to every function), so the DLLs keep only what they call: the
# decoders, not bzip2's compressor.
cflags="-O2 -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables"
mkdir -p "$downloads" "$out/$host/include" "$out/$host/lib" "$out/src"

# fetch PACKAGE [--download-only]: Debian's source of PACKAGE into downloads/.
# The newest version can be missing on the mirror (404, seen for a security
# update), so each version apt knows is tried, newest first.
fetch() {
    local package="$1"
    shift
    (
        cd "$downloads"
        apt-get source -qq "$@" "$package" >/dev/null 2>&1 && exit 0
        local version
        for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV | uniq); do
            apt-get source -qq "$@" "$package=$version" >/dev/null 2>&1 && exit 0
        done
        echo "codecs.sh: cannot fetch Debian's source of $package (is there a deb-src entry? scripts/setup.sh adds one)" >&2
        exit 1
    )
}
# The unpacked tree of PACKAGE (apt-get source names it PACKAGE-VERSION).
tree() { find "$downloads" -maxdepth 1 -type d -name "$1-[0-9]*" | sort -V | tail -1; }

if [ ! -f "$out/$host/lib/libbz2.a" ]; then
    [ -n "$(tree bzip2)" ] || fetch bzip2
    src="$(tree bzip2)"
    # Only the library; the linker takes just its decompression objects.
    # Without its stdio functions: their printf would come along with the
    # library's internal-error report (ours is in Bzip2Decoder.cpp).
    make -C "$src" -j "$jobs" libbz2.a CC=$host-gcc AR=$host-ar RANLIB=$host-ranlib \
        CFLAGS="$cflags -D_FILE_OFFSET_BITS=64 -DBZ_NO_STDIO" >/dev/null
    cp "$src/libbz2.a" "$out/$host/lib/"
    cp "$src/bzlib.h" "$out/$host/include/"
    make -C "$src" clean >/dev/null
fi

if [ ! -f "$out/$host/lib/liblzma.a" ]; then
    [ -n "$(tree xz-utils)" ] || fetch xz-utils
    src="$(tree xz-utils)"
    rm -rf "$out/xz-build" && mkdir -p "$out/xz-build"
    (
        cd "$out/xz-build"
        "$src/configure" -q --host=$host --prefix="$out/$host" \
            --disable-shared --enable-static --disable-encoders --enable-decoders=lzma1 \
            --disable-microlzma --disable-lzip-decoder --disable-threads \
            --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo \
            --disable-lzma-links --disable-scripts --disable-doc --disable-nls \
            CFLAGS="$cflags" >/dev/null
        make -j "$jobs" -C src/liblzma >/dev/null
        make -C src/liblzma install >/dev/null
    )
    rm -rf "$out/xz-build"
fi

if [ ! -f "$out/$host/lib/libdeflate.a" ]; then
    [ -n "$(tree libdeflate)" ] || fetch libdeflate
    src="$(tree libdeflate)"
    # Its own optimisation flags (-O2 and more), plus ours; it picks the
    # processor's CRC and matching instructions at run time.
    make -C "$src" -j "$jobs" CC=$host-gcc AR=$host-ar libdeflatestatic.lib \
        CFLAGS="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables" >/dev/null
    cp "$src/libdeflatestatic.lib" "$out/$host/lib/libdeflate.a"
    cp "$src/libdeflate.h" "$out/$host/include/"
    make -C "$src" clean >/dev/null
fi

if [ ! -f "$out/src/infback9/infback9.c" ]; then
    fetch binutils --download-only
    orig="$(ls "$downloads"/binutils_*.orig.tar.* | sort -V | tail -1)"
    top="$(basename "$orig" | sed -E 's/_([^_]*)\.orig\.tar\..*$/-\1/')"   # binutils-2.40
    rm -rf "$out/src/infback9" "$out/src/unpack" && mkdir -p "$out/src/unpack"
    tar xf "$orig" -C "$out/src/unpack" --wildcards "$top/zlib/contrib/infback9/*" \
        "$top/zlib/zutil.h" "$top/zlib/zlib.h" "$top/zlib/zconf.h"
    mv "$out/src/unpack/$top/zlib/contrib/infback9" "$out/src/infback9"
    mv "$out/src/unpack/$top/zlib/"*.h "$out/src/infback9/"
    mkdir -p "$out/include" && cp "$out/src/infback9/infback9.h" "$out/include/"
    rm -rf "$out/src/unpack" "$downloads"/binutils_*
fi

touch "$stamp"
