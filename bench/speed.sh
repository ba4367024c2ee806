#!/usr/bin/env bash
# Every row of the speed table in one run: the ZIP library's rows
# (bench/zip/run.sh: add, extract and list beside zip, unzip and 7z) and the
# program's rows (bench/program.sh: listing in the main window, the change list
# beside find, Terminate and /exit). Each part measures beside its peer in the
# same run and prints the machine's load; the rows are gathered at the end.
#   bash bench/speed.sh                     (BENCH_SCALE=small for a shorter run)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
echo "== bench/zip/run.sh (load $(cut -d' ' -f1-3 /proc/loadavg))"
BENCH_PARTS="${BENCH_PARTS:-corpus}" bash "$root/bench/zip/run.sh" 2>&1 | tee -a "$out"
echo "== bench/program.sh (load $(cut -d' ' -f1-3 /proc/loadavg))"
bash "$root/bench/program.sh" 2>&1 | tee -a "$out"
echo "== The rows of the speed table (load at the end $(cut -d' ' -f1-3 /proc/loadavg))"
sed -n '/^== ratios/,/^==/p' "$out" | grep -v '^==' | grep -E '^(add|extract|list)' | grep -v native
grep '^ROW ' "$out" | sed 's/^ROW //'
