#!/usr/bin/env bash
# Runs the ZIP reader fuzz target for a bounded time from the seed corpus.
# Usage: run_fuzz.sh <zip_fuzz_reader> <work folder> <seconds>
set -euo pipefail
fuzzer="$1"
work="$2"
seconds="${3:-40}"
seeds="$(cd "$(dirname "$0")" && pwd)/corpus"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
# New inputs go to the work corpus; the seeds stay as they are.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" 2>"$work/fuzz.log" || {
    tail -40 "$work/fuzz.log"
    exit 1
}
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work/fuzz.log" || true
