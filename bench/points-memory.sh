#!/bin/sh
# Points files of the largest size read (64 MiB) in the shapes that cost a
# reader most: one line of commas after the header, a header of commas, one
# line of semicolons, a million short lines. `melt fit` refuses each; prints
# each run's wall time and peak resident memory (GNU time) for each
# screenfilter-cli given, against the file's 64 MiB.
#   sh bench/points-memory.sh CLI...
set -eu
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
python3 - "$dir" <<'PY'
import sys
size = 64 << 20
header = b"temperature,shear_rate,viscosity\n"
def write(name, body):
    open(f"{sys.argv[1]}/{name}.csv", "wb").write(body[:size])
write("commas", header + b"," * (size - len(header) - 1) + b"\n")
write("header-commas", b"," * (size - 1) + b"\n")
write("semicolons", header.replace(b",", b";") + b";" * (size - len(header) - 1) + b"\n")
points = b"".join(b"250,%d,%d\n" % (i + 1, 1000 + i % 7) for i in range(90000))
write("short-lines", header + points + b",\n" * ((size - len(header) - len(points)) // 2))
PY
printf '%-14s %9s %10s  %s\n' file "time s" "peak MB" program
for cli in "$@"; do
    for shape in commas header-commas semicolons short-lines; do
        /usr/bin/time -f '%e %M' -o "$dir/time" "$cli" melt fit "$dir/$shape.csv" >/dev/null 2>&1 || true
        # GNU time puts "Command exited with non-zero status 2" first.
        read -r seconds kb <<EOT
$(tail -n 1 "$dir/time")
EOT
        printf '%-14s %9s %10.1f  %s\n' "$shape" "$seconds" "$(echo "$kb / 1024" | bc -l)" "$cli"
    done
done
