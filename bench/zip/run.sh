#!/usr/bin/env bash
# ZIP benchmark: our DLLs under Wine (through their records) and the core natively,
# beside Info-ZIP zip/unzip and 7-Zip, on a corpus generated here. Prints wall
# times, peak memory (GNU time) and the ratios of the targets.
#   bash bench/zip/run.sh              full size: 2,000 files (~300 MB), a 5 GiB file,
#                                      a 100,000-entry archive, a 1 GiB archive
#   BENCH_SCALE=small bash bench/zip/run.sh   the same shapes, smaller (~1/5)
#   BENCH_PARTS=corpus ...             only adding, extracting and listing (no big
#                                      file, no update of the large archive)
# Scratch space: bench/out (or BENCH_DIR); about 4x the corpus size is needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
scale="${BENCH_SCALE:-full}"
scratch="${BENCH_DIR:-$root/bench/out}"
jobs="${TB_JOBS:-2}"
parts="${BENCH_PARTS:-all}"

case "$scale" in
full) corpus_mb=300; big_mb=5120; archive_mb=1024 ;;
small) corpus_mb=60; big_mb=1024; archive_mb=256 ;;
*) echo "BENCH_SCALE is full or small"; exit 1 ;;
esac

bash "$root/scripts/setup.sh" time hyperfine
TB_JOBS="$jobs" bash "$root/scripts/build.sh" >/dev/null
native="$root/build-native/bench/zipbench"
winbench="$root/build/bench/zipbench_win.exe"
. "$root/scripts/wine-env.sh"
tb_wine_prefix
wineserver -p 2>/dev/null || true   # keep the server up between runs (it may be up already)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

mkdir -p "$scratch"
cd "$scratch"
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }

# The corpus, made once per scale.
if [ ! -f "corpus-$scale.done" ]; then
    rm -rf corpus big many.zip archive.zip
    python3 - "$corpus_mb" "$big_mb" "$archive_mb" <<'PY'
import os, random, sys, zipfile
corpus_mb, big_mb, archive_mb = map(int, sys.argv[1:])
rng = random.Random(2001)
words = [w.encode() for w in "the tally box ledger archive report invoice total amount date customer file zip data value record".split()]
def text(n):
    out = bytearray()
    while len(out) < n:
        line = b" ".join(rng.choice(words) for _ in range(rng.randint(4, 14)))
        out += line + b"%d\n" % rng.randint(0, 99999)
    return bytes(out[:n])
def mixed(n):
    kind = rng.random()
    if kind < 0.55: return text(n)
    if kind < 0.80: return rng.randbytes(n)                       # compressed media, archives
    block = rng.randbytes(256)                                    # structured binary
    return (block * (n // 256 + 1))[:n]
# 2,000 files, sizes spread over four orders of magnitude, ~corpus_mb in all.
sizes = [int(10 ** rng.uniform(2.5, 6.5)) for _ in range(2000)]
factor = corpus_mb * 1024 * 1024 / sum(sizes)
for i, s in enumerate(sizes):
    folder = "corpus/d%02d" % (i // 100)
    os.makedirs(folder, exist_ok=True)
    with open("%s/f%04d.%s" % (folder, i, rng.choice(["txt", "log", "bin", "dat", "csv"])), "wb") as f:
        f.write(mixed(max(1, int(s * factor))))
# One big file: 64 MiB pieces of text and binary, repeated with changes.
os.makedirs("big", exist_ok=True)
piece = bytearray(text(48 << 20) + rng.randbytes(16 << 20))
with open("big/big.bin", "wb") as f:
    for i in range(big_mb // 64):
        piece[i % len(piece)] ^= 0xFF
        f.write(piece)
# 100,000 small entries.
with zipfile.ZipFile("many.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(100000):
        z.writestr("folder%03d/entry%06d.txt" % (i // 1000, i), b"small entry %d\n" % i)
# A large archive of stored (incompressible) data.
with zipfile.ZipFile("archive.zip", "w", zipfile.ZIP_STORED) as z:
    for i in range(archive_mb // 64):
        z.writestr("part%02d.bin" % i, rng.randbytes(64 << 20))
open("small.txt", "w").write("one small file\n")
PY
    touch "corpus-$scale.done"
fi
corpus_bytes=$(du -sb corpus | cut -f1)
big_bytes=$(stat -c %s big/big.bin)

results="$scratch/results-$scale.txt"
: > "$results"
# measure <label> <command...>: wall seconds, peak KiB, and the time the program measured inside itself.
measure() {
    local label="$1"
    shift
    sync
    if ! /usr/bin/time -f "%e %M %U %S" -o time.txt "$@" > cmd.log 2>&1; then
        echo "FAILED: $label ($*)"
        tail -5 cmd.log
    fi
    local wall rss user sys cpu inside load
    read -r wall rss user sys < <(tail -1 time.txt)
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    load=$(cut -d' ' -f1 /proc/loadavg)
    inside=$( (grep -o 'inside [0-9.]*' cmd.log || true) | awk '{printf "%.2f", $2 / 1000}')
    echo "$label|$wall|$rss|${inside:--}|$cpu" >> "$results"
    printf '%-44s %9.2f s  %9d KiB peak  cpu %6.2f s  load %5s  %s\n' "$label" "$wall" "$rss" "$cpu" "$load" "${inside:+(inside $inside s)}"
}
value() { grep "^$1|" "$results" | cut -d'|' -f"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "== scale $scale: $((corpus_bytes / 1048576)) MiB in 2000 files, big file $((big_bytes / 1048576)) MiB; $(nproc) cores"
echo "   (the machine is shared: the 1-minute load average is shown beside each figure; cpu is the"
echo "   user and system time of the command's processes, which a busy machine disturbs less than"
echo "   wall time; Wine's server is a process of its own and not in it)"
rm -rf out && mkdir out
"$root/scripts/wine-run.sh" "$winbench" list "$(win "$scratch/many.zip")" >/dev/null   # warm-up

echo "-- adding 2,000 files (level 6)"
measure "zip -6 (Info-ZIP)" bash -c "cd corpus && zip -q -6 -r ../out/infozip.zip ."
measure "7z a -tzip (7-Zip, -mx5)" bash -c "cd corpus && 7z a -tzip -mx5 ../out/7z.zip . >/dev/null"
measure "ours, DLL under Wine, 1 thread" bash -c "cd corpus && '$root/scripts/wine-run.sh' '$winbench' add '$(win "$scratch/out/w1.zip")' 6 1 '*'"
measure "ours, DLL under Wine, 2 threads" bash -c "cd corpus && '$root/scripts/wine-run.sh' '$winbench' add '$(win "$scratch/out/w2.zip")' 6 2 '*'"
measure "ours, native core, 1 thread" bash -c "cd corpus && '$native' add ../out/n1.zip 6 1 '*'"
measure "ours, native core, 2 threads" bash -c "cd corpus && '$native' add ../out/n2.zip 6 2 '*'"
for f in infozip 7z w1 w2 n1 n2; do printf '   %-8s archive %6d MiB\n' "$f" $(( $(stat -c %s out/$f.zip) / 1048576 )); done
unzip -tq out/w2.zip >/dev/null && echo "   unzip -t: our Wine archive is good"

echo "-- extracting the 2,000 files"
measure "unzip" unzip -q -o out/infozip.zip -d out/x_unzip
measure "7z x" 7z x -y -oout/x_7z out/infozip.zip
measure "ours, DLL under Wine, extract" "$root/scripts/wine-run.sh" "$winbench" extract "$(win "$scratch/out/infozip.zip")" "$(win "$scratch/out/x_wine")"
measure "ours, native core, extract" "$native" extract out/infozip.zip out/x_native
diff -rq corpus out/x_wine >/dev/null && diff -rq corpus out/x_native >/dev/null && echo "   extracted trees match the corpus"
rm -rf out/x_*

echo "-- listing 100,000 entries"
measure "unzip -Z1" bash -c "unzip -Z1 many.zip > /dev/null"
measure "ours, DLL under Wine, count + steps" "$root/scripts/wine-run.sh" "$winbench" list "$(win "$scratch/many.zip")"
measure "ours, native core, count + steps" "$native" list many.zip
measure "Wine start, no work" "$root/scripts/wine-run.sh" "$winbench" list "$(win "$scratch/archive.zip")"

if [ "$parts" = all ]; then
echo "-- adding one small file to a $archive_mb MiB archive"
measure "cp of the archive" cp archive.zip out/copy.zip
rm -f out/copy.zip
measure "cp of the archive, then sync of the copy" bash -c "cp archive.zip out/copy.zip && sync out/copy.zip"
cp archive.zip out/a_wine.zip
measure "ours, DLL under Wine, update" bash -c "'$root/scripts/wine-run.sh' '$winbench' add '$(win "$scratch/out/a_wine.zip")' 6 2 '$(win "$scratch/small.txt")'"
cp archive.zip out/a_native.zip
measure "ours, native core, update" "$native" add out/a_native.zip 6 2 small.txt
cp archive.zip out/a_zip.zip
measure "zip -6 (Info-ZIP, same update)" zip -q -6 out/a_zip.zip small.txt
unzip -tq out/a_wine.zip >/dev/null && echo "   unzip -t: updated archive is good"
rm -f out/copy.zip out/a_*.zip

echo "-- one $((big_bytes / 1048576)) MiB file"
measure "zip -6 big" bash -c "cd big && zip -q -6 ../out/big_zip.zip big.bin"
measure "ours, DLL under Wine, big add" bash -c "cd big && '$root/scripts/wine-run.sh' '$winbench' add '$(win "$scratch/out/big_wine.zip")' 6 2 big.bin"
measure "ours, native core, big add" bash -c "cd big && '$native' add ../out/big_native.zip 6 2 big.bin"
rm -f out/big_native.zip out/big_zip.zip
measure "unzip big" unzip -q -o out/big_wine.zip -d out/bx_unzip
rm -rf out/bx_unzip
measure "ours, DLL under Wine, big extract" "$root/scripts/wine-run.sh" "$winbench" extract "$(win "$scratch/out/big_wine.zip")" "$(win "$scratch/out/bx_wine")"
cmp big/big.bin out/bx_wine/big.bin && echo "   extracted big file matches"
rm -rf out/bx_wine
measure "ours, native core, big extract" "$native" extract out/big_wine.zip out/bx_native
rm -rf out/bx_native
unzip -tq out/big_wine.zip >/dev/null && echo "   unzip -t: big (ZIP64) archive is good"
rm -f out/big_wine.zip
fi

echo
echo "== ratios (ours / peer; targets in brackets)"
z=$(value "zip -6 (Info-ZIP)" 2)
size_ratio=$(awk -v a="$(stat -c %s out/w2.zip)" -v b="$(stat -c %s out/infozip.zip)" 'BEGIN { printf "%.3f", a / b }')
printf 'add, both cores / zip -6           %s  [<= 0.40]  archive size / zip -6: %s [<= 1.010]\n' \
    "$(ratio "$(value "ours, DLL under Wine, 2 threads" 2)" "$z")" "$size_ratio"
printf 'add, one core / zip -6             %s  [<= 0.80]\n' "$(ratio "$(value "ours, DLL under Wine, 1 thread" 2)" "$z")"
printf 'add, native 1 thread / zip -6      %s\n' "$(ratio "$(value "ours, native core, 1 thread" 2)" "$z")"
printf 'add, native 2 threads / zip -6     %s\n' "$(ratio "$(value "ours, native core, 2 threads" 2)" "$z")"
u=$(value "unzip" 2)
extract_target="<= 0.35 (full corpus)"
[ "$scale" = small ] && extract_target="<= 1.0 (small corpus)"
printf 'extract / unzip                    %s  [%s]\n' "$(ratio "$(value "ours, DLL under Wine, extract" 2)" "$u")" "$extract_target"
printf 'extract, native / unzip            %s\n' "$(ratio "$(value "ours, native core, extract" 2)" "$u")"
l=$(value "unzip -Z1" 2)
printf 'list 100,000 entries through count and steps / unzip -Z1   %s  [<= 1.0] (inside the process: %s s; Wine start alone: %s s)\n' \
    "$(ratio "$(value "ours, DLL under Wine, count + steps" 2)" "$l")" "$(value "ours, DLL under Wine, count + steps" 4)" "$(value "Wine start, no work" 2)"
printf 'list 100k, native / unzip -Z1      %s\n' "$(ratio "$(value "ours, native core, count + steps" 2)" "$l")"
echo "(load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
[ "$parts" = all ] || { echo "(raw figures: $results)"; exit 0; }
c=$(value "cp of the archive" 2)
printf 'add 1 file to big archive, Wine / cp    %s  [<= 1.5]\n' "$(ratio "$(value "ours, DLL under Wine, update" 2)" "$c")"
printf 'add 1 file to big archive, native / cp  %s\n' "$(ratio "$(value "ours, native core, update" 2)" "$c")"
cs=$(value "cp of the archive, then sync of the copy" 2)
printf 'add 1 file to big archive, Wine / (cp + sync)    %s   (ours flushes the new archive to disk before it replaces the old one)\n' "$(ratio "$(value "ours, DLL under Wine, update" 2)" "$cs")"
printf 'add 1 file to big archive, native / (cp + sync)  %s\n' "$(ratio "$(value "ours, native core, update" 2)" "$cs")"
printf 'peak memory, big file: Wine add %s KiB, Wine extract %s KiB, native add %s KiB, native extract %s KiB  [< 65536]\n' \
    "$(value "ours, DLL under Wine, big add" 3)" "$(value "ours, DLL under Wine, big extract" 3)" \
    "$(value "ours, native core, big add" 3)" "$(value "ours, native core, big extract" 3)"
printf 'big file, Wine add / zip -6 %s; Wine extract / unzip %s\n' \
    "$(ratio "$(value "ours, DLL under Wine, big add" 2)" "$(value "zip -6 big" 2)")" \
    "$(ratio "$(value "ours, DLL under Wine, big extract" 2)" "$(value "unzip big" 2)")"
echo "(raw figures: $results)"
