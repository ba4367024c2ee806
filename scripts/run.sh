#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tallybox.exe under Wine: on your
# display when DISPLAY is set, otherwise on an Xvfb display this script starts
# (it says which) with a screenshot of the main window in build/shots/.
# Extra arguments are passed to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh

. scripts/display.sh
. scripts/wine-env.sh
own_display=0
[ -z "${DISPLAY:-}" ] && own_display=1
tb_display
tb_wine_prefix

cd build/dist
wine Tallybox.exe "$@" &
program=$!
if [ "$own_display" = 1 ]; then
    trap 'kill $program 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; tb_display_stop' EXIT
    mkdir -p "$root/build/shots"
    for _ in $(seq 1 100); do
        xwininfo -root -tree 2>/dev/null | grep -q 'A File Archiver by Corvane' && break
        sleep 0.2
    done
    sleep 1
    import -window root "$root/build/shots/main-window.png"
    echo "Tallybox runs on display $DISPLAY; screenshot: build/shots/main-window.png"
    echo "Press Ctrl+C to stop it."
fi
wait $program
