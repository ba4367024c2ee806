# What a benchmark script begins with, sourced after it sets `root`:
#   . "$root/bench/prelude.sh"
#   bench_prelude NAME FULL SMALL ROUNDS
# reads BENCH_SCALE (full or small), BENCH_ROUNDS and BENCH_DIR; sets `scale`,
# `rounds` (ROUNDS unless BENCH_ROUNDS), `scratch` (bench/out/NAME unless
# BENCH_DIR) and `size` (FULL or SMALL by the scale); installs what is missing,
# builds, and starts a display and Wine's server, both ended with the script.
bench_prelude() {
    scale="${BENCH_SCALE:-full}"
    rounds="${BENCH_ROUNDS:-$4}"
    scratch="${BENCH_DIR:-$root/bench/out/$1}"
    case "$scale" in
    full) size="$2" ;;
    small) size="$3" ;;
    *) echo "BENCH_SCALE is full or small"; exit 1 ;;
    esac
    bash "$root/scripts/setup.sh"
    TB_JOBS="${TB_JOBS:-2}" bash "$root/scripts/build.sh" >/dev/null
    . "$root/scripts/display.sh"
    . "$root/scripts/wine-env.sh"
    tb_display
    tb_wine_prefix
    wineserver -p || true   # keep the server up between runs (it may be up already)
    trap 'wineserver -k >/dev/null 2>&1 || true; tb_display_stop' EXIT
}
