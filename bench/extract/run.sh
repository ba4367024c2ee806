#!/usr/bin/env bash
# Extracting 2,000 files of mixed sizes (200 MB) through the Extract File(s)
# dialog's code path, all entries and every entry selected (batches of seven),
# beside unzip on the same archive, in one run; the ZIP library's own one-call
# extraction is shown too, to tell the dialog's share from the library's.
# Each command runs once per round, the rounds taking turns, so that all meet
# the same load on a shared machine; the best wall time of each is kept and
# compared with unzip's (target: at most 1.0), both as whole processes and
# (for the dialog) from the button to the last file.
#   bash bench/extract/run.sh                     2,000 files, 200 MB, 5 rounds
#   BENCH_SCALE=small bash bench/extract/run.sh   2,000 files, 40 MB
#   BENCH_ROUNDS=N                                another number of rounds
# Scratch space: bench/out/extract (or BENCH_DIR), about 5 times the corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/bench/prelude.sh"
bench_prelude extract 200 40 5
corpus_mb="$size"
bench="$root/build/bench/extract_bench.exe"
library="$root/build/bench/zipbench_win.exe"   # the ZIP library's own benchmark: one call, no dialog

mkdir -p "$scratch"
cd "$scratch"
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }

if [ ! -f "corpus-$scale.zip" ]; then
    rm -rf corpus
    python3 - "$corpus_mb" <<'PY'
import os, random, sys
corpus_mb = int(sys.argv[1])
rng = random.Random(2001)
words = [w.encode() for w in "the tally box ledger archive report invoice total amount date customer file zip data".split()]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += b" ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + b"%d\n" % rng.randint(0, 99999)
    return bytes(out[:n])
def mixed(n):
    kind = rng.random()
    if kind < 0.55: return text(n)
    if kind < 0.80: return rng.randbytes(n)
    block = rng.randbytes(256)
    return (block * (n // 256 + 1))[:n]
# 2,000 files, sizes over four orders of magnitude, corpus_mb in all.
sizes = [int(10 ** rng.uniform(2.5, 6.5)) for _ in range(2000)]
factor = corpus_mb * 1000 * 1000 / sum(sizes)
for i, s in enumerate(sizes):
    folder = "corpus/d%02d" % (i // 100)
    os.makedirs(folder, exist_ok=True)
    with open("%s/f%04d.%s" % (folder, i, rng.choice(["txt", "log", "bin", "dat", "csv"])), "wb") as f:
        f.write(mixed(max(1, int(s * factor))))
PY
    (cd corpus && zip -q -6 -r "../corpus-$scale.zip" .)
fi
archive="$scratch/corpus-$scale.zip"
echo "== $(unzip -Z1 "$archive" | grep -vc '/$') files, $(( $(du -sb corpus | cut -f1) / 1000000 )) MB in $(( $(stat -c %s "$archive") / 1000000 )) MB; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

labels=("unzip" "dialog under Wine, All Files in Zip" "dialog under Wine, Selected Files (all 2,000)"
        "the library alone under Wine (one call)")
outputs=("$scratch/x_unzip" "$scratch/x_all" "$scratch/x_selected" "$scratch/x_library")
run() {
    case "$1" in
    0) unzip -q -o "$archive" -d "${outputs[0]}" ;;
    1) "$root/scripts/wine-run.sh" "$bench" "$(win "$archive")" "$(win "${outputs[1]}")" all ;;
    2) "$root/scripts/wine-run.sh" "$bench" "$(win "$archive")" "$(win "${outputs[2]}")" selected ;;
    3) "$root/scripts/wine-run.sh" "$library" extract "$(win "$archive")" "$(win "${outputs[3]}")" ;;
    esac
}

"$root/scripts/wine-run.sh" "$bench" "$(win "$archive")" "$(win "$scratch/warm")" all >/dev/null   # warm-up
rm -rf warm
declare -a best inside
for _ in $(seq 1 "$rounds"); do
    for i in 0 1 2 3; do
        rm -rf "${outputs[$i]}"
        sync
        start=$(date +%s.%N)
        run "$i" > run.log 2>&1 || { echo "FAILED: ${labels[$i]}"; tail -5 run.log; exit 1; }
        end=$(date +%s.%N)
        took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        if [ -z "${best[$i]:-}" ] || awk -v a="$took" -v b="${best[$i]}" 'BEGIN { exit !(a < b) }'; then
            best[$i]="$took"
            inside[$i]="$(grep -o 'inside [0-9.]* ms' run.log || true)"
        fi
    done
done
for i in 0 1 2 3; do printf '%-48s %8.3f s  %s\n' "${labels[$i]}" "${best[$i]}" "${inside[$i]}"; done
echo "   best of $rounds rounds; load now $(cut -d' ' -f1-3 /proc/loadavg)"
diff -rq corpus x_all >/dev/null && diff -rq corpus x_selected >/dev/null && diff -rq corpus x_unzip >/dev/null &&
    echo "   the three extracted trees match the corpus"
rm -rf x_unzip x_all x_selected x_library

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "== ratios to unzip (target <= 1.0)"
echo "All Files in Zip / unzip            $(ratio "${best[1]}" "${best[0]}")"
echo "Selected Files (2,000) / unzip      $(ratio "${best[2]}" "${best[0]}")"
echo "the library alone / unzip           $(ratio "${best[3]}" "${best[0]}")"
# Inside the running program the user waits only for the extraction itself:
# from "Extract File(s)" to the last file, without Wine's start and the window.
ms() { printf '%s' "$1" | awk '{ printf "%.3f", $2 / 1000 }'; }
echo "inside the program, from the button to the last file:"
echo "All Files in Zip / unzip            $(ratio "$(ms "${inside[1]}")" "${best[0]}")"
echo "Selected Files (2,000) / unzip      $(ratio "$(ms "${inside[2]}")" "${best[0]}")"
