# Sourced: makes sure a display exists. Without DISPLAY an Xvfb server is started
# on the first free number and stopped (by its own process id) when the shell exits.
tb_display() {
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    local n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    TB_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    echo "Display $DISPLAY (Xvfb, pid $TB_XVFB_PID)"
}
tb_display_stop() {
    if [ -n "${TB_XVFB_PID:-}" ]; then kill "$TB_XVFB_PID" 2>/dev/null || true; fi
}
