#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tallybox.exe under Wine: on your
# display when DISPLAY is set, otherwise on an Xvfb display this script starts
# (it says which) with a screenshot of the main window in build/shots/.
# Extra arguments are passed to the program.
. "$(dirname "$0")/prepare.sh"

cd build/dist
wine Tallybox.exe "$@" &
program=$!
if [ "$TB_OWN_DISPLAY" = 1 ]; then
    trap 'kill $program 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; tb_display_stop' EXIT
    mkdir -p "$TB_ROOT/build/shots"
    for _ in $(seq 1 100); do
        xwininfo -root -tree 2>/dev/null | grep -q 'A File Archiver by Corvane' && break
        sleep 0.2
    done
    sleep 1
    import -window root "$TB_ROOT/build/shots/main-window.png"
    echo "Tallybox runs on display $DISPLAY; screenshot: build/shots/main-window.png"
    echo "Press Ctrl+C to stop it."
fi
wait $program
