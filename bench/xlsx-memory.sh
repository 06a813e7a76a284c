#!/bin/sh
# An xlsx sweep as a user runs it: the worked example over ROWS flow rates
# with every column, as a workbook and as CSV, for each screenfilter-cli
# given. Prints each run's wall time and peak resident memory (GNU time).
#   [FORMATS="xlsx csv"] sh bench/xlsx-memory.sh ROWS CLI...
set -eu
rows=$1
shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$1" init "$dir/example.sfcase" --force >/dev/null
printf '%-8s %-5s %9s %10s  %s\n' rows format "time s" "peak MB" program
for cli in "$@"; do
    for format in ${FORMATS:-xlsx csv}; do
        /usr/bin/time -f '%e %M' -o "$dir/time" "$cli" sweep "$dir/example.sfcase" \
            --vary "flow_rate=10:120:$rows" --columns details,inputs --format $format -o "$dir/out.$format"
        read -r seconds kb <"$dir/time"
        printf '%-8s %-5s %9s %10.1f  %s\n' "$rows" $format "$seconds" "$(echo "$kb / 1024" | bc -l)" "$cli"
    done
done
