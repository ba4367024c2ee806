#!/usr/bin/env bash
# The program's rows of the speed table in one run: listing a 100,000-entry
# archive in the main window (bench/browser), building the change list over
# 100 folders (bench/monitor), Terminate and /exit (bench/app). Each part
# measures beside its peer in the same run and prints its rounds; the rows and
# the machine's load are gathered at the end.
#   bash bench/program.sh
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
for part in browser monitor app; do
    echo "== bench/$part/run.sh (load $(cut -d' ' -f1-3 /proc/loadavg))"
    bash "$root/bench/$part/run.sh" 2>&1 | tee -a "$out"
done
echo "== The program's rows (load at the end $(cut -d' ' -f1-3 /proc/loadavg))"
grep '^ROW ' "$out" | sed 's/^ROW //'
