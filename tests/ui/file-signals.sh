#!/bin/sh
# Started with SIGPIPE and SIGXFSZ at their defaults, which end a process
# without a word, the program must ignore both from its start, so that a
# write raising them fails with its error box instead.
env --default-signal=PIPE,XFSZ QT_QPA_PLATFORM=offscreen "$1" >/dev/null 2>&1 &
pid=$!
ignored=0
for _ in $(seq 100); do
    mask=$(sed -n 's/^SigIgn:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
    # Bit n-1 stands for signal n: SIGPIPE 13, SIGXFSZ 25.
    ignored=$(( (0x${mask:-0} >> 12 & 1) + (0x${mask:-0} >> 24 & 1) ))
    [ "$ignored" -eq 2 ] && break
    sleep 0.1
done
kill "$pid"
wait "$pid" 2>/dev/null
[ "$ignored" -eq 2 ] || { echo "SigIgn ${mask:-unreadable}: SIGPIPE or SIGXFSZ not ignored"; exit 1; }
