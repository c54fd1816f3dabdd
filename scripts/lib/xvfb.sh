# A private Xvfb on a free display number; source it.
#   xvfb_start   sets XVFB_DISPLAY (":N") and XVFB_PID, or returns 1
#   xvfb_stop
xvfb_start() {
    local n
    for n in $(seq 90 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
        XVFB_PID=$!
        for _ in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
            XVFB_DISPLAY=":$n"
            return 0
        fi
        xvfb_stop  # lost the race for this number; try the next
    done
    echo "xvfb: no free display" >&2
    return 1
}

xvfb_stop() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
