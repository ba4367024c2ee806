#!/usr/bin/env bash
# Builds the Windows program, its DLLs and tests (build/, collected in build/dist)
# and the native build of the portable ZIP core (build-native/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${TB_JOBS:-$(nproc)}"
type="${TB_BUILD_TYPE:-Release}"

# The ZIP library's decoders from Debian's source packages, once for both builds.
codecs="$root/build/third_party/codecs"
TB_JOBS="$jobs" bash "$root/scripts/codecs.sh" "$codecs"

cmake -S "$root" -B "$root/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE="$type" -DZL_CODECS_DIR="$codecs" >/dev/null
cmake --build "$root/build" -j "$jobs"

if [ -f "$root/ziplib/CMakeLists.txt" ]; then
    # clang when it is there: the fuzz target needs libFuzzer.
    native_compilers=()
    if command -v clang++ >/dev/null 2>&1; then
        native_compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    fi
    cmake -S "$root/ziplib" -B "$root/build-native" -G Ninja \
        -DCMAKE_BUILD_TYPE="$type" -DZL_CODECS_DIR="$codecs" "${native_compilers[@]}" >/dev/null
    cmake --build "$root/build-native" -j "$jobs"
fi
