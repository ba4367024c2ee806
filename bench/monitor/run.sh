#!/usr/bin/env bash
# Change tracking benchmark: builds a drive of 20 x 20 x 24 directories (10,020
# with the root's 20 and their 400) holding 10 files each (100,210 files), gives
# it to the Wine prefix as drive Y:, runs monitor_bench.exe on it, and times
# find over the same tree for comparison. Prints the figures and the ratios.
#   bench/monitor/run.sh
export TB_JOBS="${TB_JOBS:-2}"
. "$(dirname "$0")/../../scripts/prepare.sh" >/dev/null
root="$TB_ROOT"
trap 'wineserver -k >/dev/null 2>&1 || true; tb_display_stop; bash scripts/test-drive.sh unlink y' EXIT

tree="$TB_BUILD/bench-monitor-drive"
echo "== Making the drive (kept between runs)"
python3 bench/monitor/make_tree.py "$tree" 20 20 24 10
echo "directories: $(find "$tree" -type d | wc -l), files: $(find "$tree" -type f -name 'f*.txt' | wc -l)"
bash scripts/test-drive.sh link y "$tree"

seconds() {  # runs a command, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }'
}

echo "== find over the same tree (second run of each, with a warm cache)"
seconds find "$tree" -maxdepth 2 -type d >/dev/null
find_list=$(seconds find "$tree" -maxdepth 2 -type d)
scan_dirs=()
for i in $(seq 0 99); do scan_dirs+=("$tree/T$(printf %02d $((i / 20)))/M$(printf %02d $((i % 20)))"); done
seconds find "${scan_dirs[@]}" -mindepth 1 -newermt 2000-01-01 >/dev/null
find_scan=$(seconds find "${scan_dirs[@]}" -mindepth 1 -newermt 2000-01-01)
find_scan_entries=$(find "${scan_dirs[@]}" -mindepth 1 -newermt 2000-01-01 | wc -l)
echo "find_list_seconds $find_list"
echo "find_scan_seconds $find_scan ($find_scan_entries entries)"

echo "== monitor_bench.exe"
out="$(wine "$TB_BUILD/bench/monitor_bench.exe" Y | tr -d '\r')"
echo "$out"

value() { echo "$out" | awk -v k="$1" '$1 == k { print $2; exit }'; }
rebuild=$(value rebuild_seconds)
build=$(value build_change_list_seconds)

echo "== BuildChangeList beside find, ${TB_BENCH_ROUNDS:-3} rounds (each: find, then two builds in one process, the second counted)"
rows=()
for round in $(seq 1 "${TB_BENCH_ROUNDS:-3}"); do
    f=$(seconds find "${scan_dirs[@]}" -mindepth 1 -newermt 2000-01-01)
    o="$(wine "$TB_BUILD/bench/monitor_bench.exe" Y build 2 | tr -d '\r')"
    b=$(echo "$o" | awk '$1 == "build_change_list_seconds" { v = $2 } END { print v }')
    e=$(echo "$o" | awk '$1 == "enumeration_seconds" { v = $2 } END { print v }')
    echo "round $round: find $f s, BuildChangeList $b s (0.5 s of it the fixed wait), bare enumeration $e s, load $(cut -d' ' -f1-3 /proc/loadavg)"
    rows+=("$f $b $e")
done

echo "== Ratios"
awk -v r="$rebuild" -v f="$find_list" 'BEGIN { printf "rebuild / find -maxdepth 2 -type d: %.1f\n", r / f }'
awk -v b="$build" -v f="$find_scan" 'BEGIN { printf "BuildChangeList / find over the 100 directories (first run above): %.1f (%.1f without its fixed 0.5 s wait)\n", b / f, (b - 0.5) / f }'
awk -v c="$(value idle_cpu_seconds)" -v s="$(value idle_seconds)" 'BEGIN { printf "monitor CPU while idle: %.4f%% of one core\n", 100 * c / s }'
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
build_ratio=$(printf '%s\n' "${rows[@]}" | awk '{ print ($2 - 0.5) / $1 }' | median)
floor_ratio=$(printf '%s\n' "${rows[@]}" | awk '{ print $3 / $1 }' | median)
printf 'ROW build_change_list_over_find %.1f (median of %d rounds, without the fixed 0.5 s wait; the bare enumeration of the same tree alone: %.1f x find) target <= 2.5\n' \
    "$build_ratio" "${#rows[@]}" "$floor_ratio"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
