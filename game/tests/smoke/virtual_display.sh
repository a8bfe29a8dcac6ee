# Sourced by the smoke tests: a virtual display of the given size and a work folder for this
# script. At exit the program whose process id is in $pid goes first: without its display it
# would not end.
start_virtual_display() {  # WIDTHxHEIGHT
    display=:$((100 + RANDOM % 800))
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    pid=
    work=$(mktemp -d)
    trap '[ -z "$pid" ] || kill -9 $pid 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
