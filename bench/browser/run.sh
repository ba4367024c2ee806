#!/usr/bin/env bash
# Listing a 100,000-entry archive through the real program beside unzip -l and 7z l
# (TB_BUILD=... measures the build tree given, for a before-and-after figure).
#   bash bench/browser/run.sh            (TB_BENCH_ENTRIES=... for another size)
. "$(dirname "$0")/../../scripts/prepare.sh"
TB_BUILD="$TB_BUILD" python3 bench/browser/listing.py
