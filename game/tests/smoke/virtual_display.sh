# Sourced by the smoke tests: a virtual display of the given size on a display number the X
# server picks itself (so that parallel runs never share one), a work folder for this script,
# and helpers to wait for the program's window and to take screenshots. At exit the program
# whose process id is in $pid goes first: without its display it would not end.
start_virtual_display() {  # WIDTHxHEIGHT
    pid=
    work=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    trap '[ -z "$pid" ] || kill -9 $pid 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "no virtual display"; exit 1; }
    export DISPLAY=:$(head -n 1 "$work/display")
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# The program's window once it is mapped and viewable, in $window.
wait_for_window() {
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^KIRVA$' | head -n 1)
    [ -n "$window" ] || { echo "no window titled KIRVA"; exit 1; }
    for _ in $(seq 50); do
        xwininfo -id "$window" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
        sleep 0.1
    done
    echo "window $window never became viewable"
    exit 1
}

# The whole screen into a PNG file; a window being mapped or resized can make a read of the
# screen fail for a moment, so it is tried again.
capture() {  # FILE
    for _ in $(seq 30); do
        xwd -root -silent 2>/dev/null | convert xwd:- "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "no screenshot"
    exit 1
}
