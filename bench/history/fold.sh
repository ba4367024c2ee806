#!/usr/bin/env bash
# Folding 30 day archives of 1,000 entries each into their month archive, as
# the program does once a day (history/Consolidation through FoldBench.exe
# under Wine), beside cp of the same 30 archives. The days are incremental, as
# the program's are: most files appear on one day only, a few hundred change
# every few days, so the month archive keeps about two thirds of the entries.
# Each command runs once per round, the rounds taking turns, so both meet the
# same load on a shared machine; the best wall time of each is kept and the
# ratio fold / cp is printed (target: at most 1.5). The fold is timed as a
# whole process (Wine's start included) and inside the process.
#   bash bench/history/fold.sh                     30 x 1,000 entries, about 300 MB
#   BENCH_SCALE=small bash bench/history/fold.sh   30 x 1,000 entries, about 60 MB
#   BENCH_ROUNDS=N                                 another number of rounds (default 5)
# Scratch space: bench/out/fold (or BENCH_DIR), about 3 times the archives.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/bench/prelude.sh"
bench_prelude fold 16 3 5
mean_kb="$size"
bench="$root/build/bench/fold_bench.exe"

mkdir -p "$scratch"
cd "$scratch"
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }

pristine="$scratch/days-$scale"
if [ ! -f "$pristine/done" ]; then
    rm -rf "$pristine"
    mkdir -p "$pristine"
    python3 - "$pristine" "$mean_kb" <<'PY'
import os, random, sys, zipfile
folder, mean_kb = sys.argv[1], int(sys.argv[2])
rng = random.Random(2026)
words = [w.encode() for w in "the tally box ledger archive report invoice total amount date customer file zip data".split()]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += b" ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + b"%d\n" % rng.randint(0, 99999)
    return bytes(out[:n])
def content(n):
    return text(n) if rng.random() < 0.7 else rng.randbytes(n)
def size():
    return max(1, int(rng.expovariate(1.0 / (mean_kb * 1024))))
# 400 files that change now and then; each day 1,000 entries: about 330 of
# those, the rest files of that day only.
often = ["work/project%02d/doc%03d.txt" % (i // 20, i) for i in range(400)]
for day in range(1, 31):
    with zipfile.ZipFile(os.path.join(folder, "November %02d 2026.zip" % day), "w", zipfile.ZIP_DEFLATED) as z:
        names = rng.sample(often, 330) + ["day%02d/new%04d.%s" % (day, i, rng.choice(["txt", "bin", "csv"]))
                                          for i in range(670)]
        for name in names:
            info = zipfile.ZipInfo(name, date_time=(2026, 11, day, rng.randint(8, 18), rng.randint(0, 59), 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, content(size()))
PY
    touch "$pristine/done"
fi
total=$(cat "$pristine"/*.zip | wc -c)
entries=$(for f in "$pristine"/*.zip; do unzip -Z1 "$f"; done | wc -l)
echo "== 30 day archives, $entries entries, $(( total / 1000000 )) MB; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

best_cp=""; best_cps=""; best_fold=""; best_inside=""
better() { [ -z "$1" ] || awk -v a="$2" -v b="$1" 'BEGIN { exit !(a < b) }'; }
for round in $(seq 1 "$rounds"); do
    rm -rf "$scratch/cp" "$scratch/fold"
    mkdir -p "$scratch/fold"
    cp "$pristine"/*.zip "$scratch/fold/"
    sync
    start=$(date +%s.%N)
    cp -r "$pristine" "$scratch/cp"
    end=$(date +%s.%N)
    t_cp=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    # The fold puts the month archive on the disk before any day goes; cp
    # alone leaves its copies in memory. cp and then sync of the copies is
    # the like-for-like figure.
    rm -rf "$scratch/cp"
    start=$(date +%s.%N)
    cp -r "$pristine" "$scratch/cp"
    sync -f "$scratch/cp"
    end=$(date +%s.%N)
    t_cps=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    start=$(date +%s.%N)
    out=$("$root/scripts/wine-run.sh" "$bench" "$(win "$scratch/fold")" 2026-12-31 30)
    end=$(date +%s.%N)
    t_fold=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    t_inside=$(printf '%s' "$out" | sed -n 's/^inside \([0-9]*\) ms.*/\1/p' | awk '{ printf "%.3f", $1 / 1000 }')
    echo "round $round: cp ${t_cp} s, cp+sync ${t_cps} s, fold ${t_fold} s (inside ${t_inside} s): $out"
    if better "$best_cp" "$t_cp"; then best_cp=$t_cp; fi
    if better "$best_cps" "$t_cps"; then best_cps=$t_cps; fi
    if better "$best_fold" "$t_fold"; then best_fold=$t_fold; fi
    if better "$best_inside" "$t_inside"; then best_inside=$t_inside; fi
done
month="$scratch/fold/November 2026.zip"
unzip -tq "$month" >/dev/null && echo "unzip -t: the month archive is sound ($(unzip -Z1 "$month" | wc -l) entries, $(( $(stat -c %s "$month") / 1000000 )) MB)"
[ "$(ls "$scratch/fold" | wc -l)" = 1 ] || { echo "the day archives were not all folded"; exit 1; }
echo "best: cp ${best_cp} s, cp+sync ${best_cps} s, fold ${best_fold} s as a process, ${best_inside} s inside"
awk -v f="$best_fold" -v i="$best_inside" -v c="$best_cp" -v cs="$best_cps" \
    'BEGIN { printf "fold / cp = %.2f as a process, %.2f inside (target at most 1.5); fold / (cp+sync) = %.2f, %.2f inside\n", f / c, i / c, f / cs, i / cs }'
rm -rf "$scratch/cp"
