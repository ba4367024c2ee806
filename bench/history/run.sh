#!/usr/bin/env bash
# The File History's search over a year of dated archives (365 archives of
# 1,000 entries each, the files of a 20,000-file pool that changed that day)
# beside unzip -Z1 listing every one of them, in one run. Each round runs both
# once, taking turns, and the best of each is kept:
#   cold    the first search, no index file (target: at most 3 x unzip -Z1)
#   memory  the search repeated while the program runs (target: under 0.2 s)
#   file    the first search of a new start, the index file loaded
# The searches are timed inside the process (Wine's start is not the search's).
#   bash bench/history/run.sh                     365 archives, 3 rounds
#   BENCH_SCALE=small bash bench/history/run.sh   60 archives
#   BENCH_ROUNDS=N                                another number of rounds
# Scratch space: bench/out/history (or BENCH_DIR), about 150 MB (25 MB small).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/bench/prelude.sh"
bench_prelude history 365 60 3
days="$size"
bench="$root/build/bench/history_bench.exe"

archives="$scratch/archives-$scale"
mkdir -p "$scratch"
cd "$scratch"
if [ ! -f "$archives/done" ]; then
    rm -rf "$archives"
    mkdir -p "$archives"
    python3 - "$archives" "$days" <<'PY'
import datetime, os, random, sys, zipfile
folder, days = sys.argv[1], int(sys.argv[2])
rng = random.Random(1701)
pool = ["Users/Ann/Documents/project%02d/%s%04d.%s" % (i % 40, rng.choice(["notes", "ledger", "invoice", "draft"]), i,
                                                      rng.choice(["txt", "doc", "xls", "csv"])) for i in range(20000)]
pool[:50] = ["Users/Ann/Documents/reports/report%02d.doc" % i for i in range(50)]
first = datetime.date(2025, 12, 1)
for d in range(days):
    day = first + datetime.timedelta(days=d)
    name = os.path.join(folder, day.strftime("%B %d %Y.zip"))
    with zipfile.ZipFile(name, "w", zipfile.ZIP_STORED) as z:
        for path in sorted(rng.sample(pool, 1000)):
            info = zipfile.ZipInfo(path, (day.year, day.month, day.day, 9, rng.randint(0, 59), 0))
            # Contents that often come back the same: the same version archived again.
            z.writestr(info, "%s version %d\r\n" % (path, rng.randint(0, 3)) * 4)
PY
    touch "$archives/done"
fi
echo "== $(ls "$archives" | grep -c '\.zip$') archives of 1,000 entries, $(( $(du -sb "$archives" | cut -f1) / 1000000 )) MB; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
listing() { for f in "$archives"/*.zip; do unzip -Z1 "$f"; done; }
best() { if [ -z "$1" ] || awk -v a="$2" -v b="$1" 'BEGIN { exit !(a < b) }'; then echo "$2"; else echo "$1"; fi; }
unzip_best="" cold="" memory="" file=""
for _ in $(seq 1 "$rounds"); do
    start=$(date +%s.%N)
    entries=$(listing | wc -l)
    end=$(date +%s.%N)
    unzip_best=$(best "$unzip_best" "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
    "$root/scripts/wine-run.sh" "$bench" "$(win "$archives")" "$(win "$scratch/VaultlyHistory.idx")" "report*.doc" \
        > run.log 2>&1 || { echo "FAILED: history_bench"; tail -5 run.log; exit 1; }
    tr -d '\r' < run.log | sed 's/^/   /'
    cold=$(best "$cold" "$(awk '$1 == "cold" { print $2 }' run.log)")
    memory=$(best "$memory" "$(awk '$1 == "memory" { print $2 }' run.log)")
    file=$(best "$file" "$(awk '$1 == "file" { print $2 }' run.log)")
done
rm -f run.log
echo "== best of $rounds rounds ($entries names listed by unzip); load now $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %9.1f ms\n' "unzip -Z1 over every archive" "$unzip_best" "first search, cold index" "$cold" \
    "repeated search, index in memory" "$memory" "new start, index file loaded" "$file"
echo "cold / unzip -Z1 (target <= 3.0)        $(awk -v a="$cold" -v b="$unzip_best" 'BEGIN { printf "%.2f", a / b }')"
echo "repeated search (target < 200 ms)       $memory ms"
