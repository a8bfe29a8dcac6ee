# Sourced by the smoke tests: a virtual display of the given size on a display number the X
# server picks itself (so that parallel runs never share one), a work folder for this script,
# and helpers to start the program, wait for its window and its end, and take screenshots. At
# exit the program whose process id is in $pid goes first: without its display it would not end.
start_virtual_display() {  # WIDTHxHEIGHT
    pid=
    work=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    trap '[ -z "$pid" ] || kill -9 $pid 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "no virtual display"; exit 1; }
    export DISPLAY=:$(head -n 1 "$work/display") KIRVA_QUIET_BOXES=1
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# Starts the program in the display, standard error into $work/errors, and waits for its window.
start_program() {  # program arguments...
    SDL_VIDEODRIVER=x11 "$@" 2>"$work/errors" &
    pid=$!
    wait_for_window
}

# Waits up to twenty seconds for the program to end; expects status 0 and nothing on standard
# error.
expect_end() {  # what ended it
    for _ in $(seq 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "the program did not end on $1"; exit 1; fi
    local status=0
    wait $pid || status=$?
    pid=
    [ "$status" = 0 ] || { echo "the program ended on $1 with status $status"; exit 1; }
    [ ! -s "$work/errors" ] || { echo "standard error after $1:"; cat "$work/errors"; exit 1; }
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
