#!/usr/bin/env bash
# The window's tests run under wine on a virtual display of their own, in a
# wine prefix of their own (wine keeps one server per prefix, and a server
# started without a display serves no window):
#   wine-display.sh STATE start            starts Xvfb on a free display
#   wine-display.sh STATE run PROGRAM ...  runs a Windows program there
#   wine-display.sh STATE stop             ends the prefix's wineserver, then Xvfb
# STATE is a folder for the display's number and Xvfb's process id. The
# environment names Z5_WINE64, Z5_WINESERVER and the prefix, WINEPREFIX.
set -euo pipefail
: "${WINEPREFIX:?the window tests wine prefix}" "${Z5_WINE64:?}" "${Z5_WINESERVER:?}"
state=$1
action=$2
shift 2
mkdir -p "$state"

stop_xvfb() {
    if [ -f "$state/xvfb.pid" ]; then
        local pid
        pid=$(cat "$state/xvfb.pid")
        # Only the Xvfb this script started, never another process that took its id.
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then kill "$pid"; fi
        rm -f "$state/xvfb.pid"
    fi
    rm -f "$state/display"
}

case $action in
start)
    # A server left by an interrupted run may hold a display that is gone.
    "$Z5_WINESERVER" -k 2>/dev/null || true
    stop_xvfb
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    # Xvfb writes the display's number and then a line end: the number is
    # whole once the line end is there.
    whole() { [ "$(wc -l <"$state/display")" -ge 1 ]; }
    for _ in $(seq 200); do
        whole && break
        sleep 0.1
    done
    if ! whole; then
        cat "$state/xvfb.log"
        echo "Xvfb did not start" >&2
        stop_xvfb
        exit 1
    fi
    echo "display :$(cat "$state/display")"
    ;;
run)
    DISPLAY=":$(cat "$state/display")" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        exec "$Z5_WINE64" "$@"
    ;;
stop)
    "$Z5_WINESERVER" -k 2>/dev/null || true
    stop_xvfb
    ;;
*)
    echo "usage: $0 STATE start|run PROGRAM...|stop" >&2
    exit 2
    ;;
esac
