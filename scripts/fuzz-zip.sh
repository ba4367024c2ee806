#!/usr/bin/env bash
# An open-ended random search of the ZIP reader core, beside the test suite's
# fixed check. It starts from the seed corpus, the regression inputs and what
# earlier searches learnt. When it finds a failing input it says where it is:
# mend the reader, then add the input to ziplib/fuzz/regression/ with the mend,
# so that every test run replays it.
# Usage: bash scripts/fuzz-zip.sh [seconds, default 3600]   (after scripts/build.sh)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzzer="$root/build-native/fuzz/zip_fuzz_reader"
[ -x "$fuzzer" ] || { echo "build first (bash scripts/build.sh; needs clang)"; exit 1; }
exec bash "$root/ziplib/fuzz/run_fuzz.sh" search "$fuzzer" "$root/build-native/fuzz/long_run" "${1:-3600}"
