#!/usr/bin/env bash
# Listing a 100,000-entry archive through the real program beside unzip -l and 7z l.
#   bash bench/browser/run.sh            (TB_BENCH_ENTRIES=... for another size)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh
. scripts/display.sh
. scripts/wine-env.sh
tb_display
trap 'wineserver -k >/dev/null 2>&1 || true; tb_display_stop' EXIT
tb_wine_prefix
TB_BUILD="$root/build" python3 bench/browser/listing.py
