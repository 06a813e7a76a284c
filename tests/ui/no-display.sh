#!/bin/sh
# Starts the program with no display configured, and with a display that
# cannot be opened: each time exactly one line on stderr, nothing on stdout,
# exit status 1 (not Qt's abort and core dump).
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
check() {
    status=$1 pattern=$2
    lines=$(wc -l <"$err")
    if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || [ -s "$out" ] || ! grep -q "$pattern" "$err"; then
        echo "status $status, $lines stderr lines:"; cat "$err"; exit 1
    fi
    cat "$err"
}
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" >"$out" 2>"$err"
check $? 'DISPLAY'
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:7391 "$1" >"$out" 2>"$err"
check $? ':7391'
