#!/usr/bin/env bash
# A longer fuzz run of the ZIP reader core than the test suite's 40 seconds.
# Usage: bash scripts/fuzz-zip.sh [seconds, default 3600]   (after scripts/build.sh)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzzer="$root/build-native/fuzz/zip_fuzz_reader"
[ -x "$fuzzer" ] || { echo "build first (bash scripts/build.sh; needs clang)"; exit 1; }
exec bash "$root/ziplib/fuzz/run_fuzz.sh" "$fuzzer" "$root/build-native/fuzz/long_run" "${1:-3600}"
