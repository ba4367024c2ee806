#!/usr/bin/env bash
# Self-extracting programs: building one from a 200 MB archive through
# adfactry.dll beside cp of that archive, and its unattended extraction
# (/s /d=) beside unzip of the same archive; the extractor's size.
#   bash bench/sfx/run.sh                   a 200 MB archive
#   BENCH_SCALE=small bash bench/sfx/run.sh  a 40 MB one
# Scratch space: bench/out-sfx (or BENCH_DIR); about 5x the archive size.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
scale="${BENCH_SCALE:-full}"
scratch="${BENCH_DIR:-$root/bench/out-sfx}"
runs="${BENCH_RUNS:-3}"
case "$scale" in
full) archive_mb=200 ;;
small) archive_mb=40 ;;
*) echo "BENCH_SCALE is full or small"; exit 1 ;;
esac

bash "$root/scripts/setup.sh" time
TB_JOBS="${TB_JOBS:-2}" bash "$root/scripts/build.sh" >/dev/null
helper="$root/build/tests/sfxbuild.exe"
stub="$root/build/dist/tbsfx.exe"
. "$root/scripts/wine-env.sh"
tb_wine_prefix
wineserver -p || true   # keep the server up between runs (it may be up already)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
mkdir -p "$scratch"
cd "$scratch"
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }

# The archive: text and incompressible files, deflated by Info-ZIP, made once per scale.
if [ ! -f "archive-$scale.zip" ]; then
    rm -rf corpus
    python3 - "$archive_mb" <<'PY'
import os, random, sys
target = int(sys.argv[1]) << 20
rng = random.Random(1508)
words = [w.encode() for w in "the tally box ledger archive report invoice total amount date customer".split()]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += b" ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + b"%d\n" % rng.randint(0, 99999)
    return bytes(out[:n])
# Text packs about 4:1, random data not at all: ~80% of the archive is random data.
written, i = 0, 0
while written < target:
    size = int(10 ** rng.uniform(3, 6.8))
    folder = "corpus/d%02d" % (i // 50)
    os.makedirs(folder, exist_ok=True)
    if rng.random() < 0.5:
        data, packed = text(size), size // 4
    else:
        data, packed = rng.randbytes(size), size
    open("%s/f%04d.%s" % (folder, i, "txt" if packed < size else "bin"), "wb").write(data)
    written += packed
    i += 1
PY
    (cd corpus && zip -q -r "../archive-$scale.zip" .)
fi
archive="archive-$scale.zip"
files=$(unzip -Z1 "$archive" | grep -vc '/$')

results="results-$scale.txt"
: > "$results"
# measure <label> <command...>: the best wall time of $runs runs, and the time the
# program measured inside itself in that run.
measure() {
    local label="$1" best="" inside="" wall
    shift
    for _ in $(seq "$runs"); do
        rm -rf out_x out.exe copy.zip
        sync
        if ! /usr/bin/time -f "%e" -o time.txt "$@" > cmd.log 2>&1; then
            echo "FAILED: $label ($*)"
            tail -5 cmd.log
        fi
        wall=$(tail -1 time.txt)
        if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best="$wall"
            inside=$( (grep -o 'inside [0-9.]*' cmd.log || true) | awk '{printf "%.2f", $2 / 1000}')
        fi
    done
    echo "$label|$best|${inside:--}" >> "$results"
    printf '%-48s %7.2f s  load %5s  %s\n' "$label" "$best" "$(cut -d' ' -f1 /proc/loadavg)" "${inside:+(inside $inside s)}"
}
value() { grep "^$1|" "$results" | cut -d'|' -f"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "== a $(( $(stat -c %s "$archive") / 1048576 )) MiB archive of $files files; best of $runs runs; $(nproc) cores"
echo "   (the machine is shared: the 1-minute load average is shown beside each figure)"
measure "Wine start, no work (extractor, bad switch)" bash -c "'$root/scripts/wine-run.sh' '$stub' /s /x || true"

echo "-- building the program"
measure "cp of the archive" cp "$archive" copy.zip
measure "cp of the archive, then sync of the copy" bash -c "cp '$archive' copy.zip && sync copy.zip"
measure "ours: script and build through adfactry.dll" "$root/scripts/wine-run.sh" "$helper" "$(win "$scratch/$archive")" "$(win "$scratch/out.exe")"
printf 'PK\005\006%018d' 0 | tr '0' '\000' > empty.zip
measure "ours: the same for an empty archive (the script)" "$root/scripts/wine-run.sh" "$helper" "$(win "$scratch/empty.zip")" "$(win "$scratch/out.exe")"
"$root/scripts/wine-run.sh" "$helper" "$(win "$scratch/$archive")" "$(win "$scratch/program.exe")" >/dev/null
unzip -tq program.exe >/dev/null && echo "   unzip -t: the program is a good archive"

echo "-- extracting all files into an empty folder"
measure "unzip" unzip -q "$archive" -d out_x
measure "ours: the program with /s /d=" "$root/scripts/wine-run.sh" "$scratch/program.exe" /s "/d=$(win "$scratch/out_x")"
diff -rq corpus out_x >/dev/null && echo "   the program's tree matches the corpus"
rm -rf out_x out.exe copy.zip

echo
echo "== ratios (ours / peer; targets in brackets)"
c=$(value "cp of the archive" 2)
w=$(value "Wine start, no work (extractor, bad switch)" 2)
b=$(value "ours: script and build through adfactry.dll" 2)
printf 'build / cp                       %s  [<= 1.5]\n' "$(ratio "$b" "$c")"
printf 'build / (cp + sync)              %s   (the build flushes the program to disk before it takes the name)\n' \
    "$(ratio "$b" "$(value "cp of the archive, then sync of the copy" 2)")"
printf 'build inside the process / cp    %s   (without the %s s of Wine'"'"'s start; the script alone takes %s s of it)\n' \
    "$(ratio "$(value "ours: script and build through adfactry.dll" 3)" "$c")" "$w" \
    "$(value "ours: the same for an empty archive (the script)" 3)"
x=$(value "ours: the program with /s /d=" 2)
printf 'extract /s / unzip               %s  [<= 1.2]\n' "$(ratio "$x" "$(value "unzip" 2)")"
printf 'extractor: %d bytes (stripped, static)\n' "$(stat -c %s "$stub")"
echo "(raw figures: $scratch/$results)"
