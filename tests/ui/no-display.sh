#!/bin/sh
# Starts the program with no display configured: exactly one line on stderr,
# nothing on stdout, exit status 1.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" >"$out" 2>"$err"
status=$?
lines=$(wc -l <"$err")
if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || [ -s "$out" ] || ! grep -q 'DISPLAY' "$err"; then
    echo "status $status, $lines stderr lines:"; cat "$err"; exit 1
fi
cat "$err"
