#!/bin/sh
# The includes of src/ run one way only:
#   ui, cli -> run -> report -> calc, io;   ui/browser -> io
# and neither the core (calc, io, report, run) nor the command-line program
# outside its plot (cli/plot) includes a Qt header. Prints each
# include that breaks this and fails; silent and 0 otherwise.
# Usage: tools/check-layering.sh [SRC_DIR]   (default: src next to tools/)
set -u
src=${1:-$(dirname "$0")/../src}
cd "$src" || exit 2

allowed() { # layer of the including file -> layers it may include
    case $1 in
    calc) echo "calc" ;;
    io) echo "io" ;;
    report) echo "report calc io" ;;
    run) echo "run report calc io" ;;
    ui/browser) echo "ui/browser io" ;;
    ui) echo "ui ui/browser run report calc io" ;;
    cli) echo "cli cli/plot run report calc io" ;;
    cli/plot) echo "cli/plot" ;;
    *) echo "" ;;
    esac
}

layer_of() { # a path relative to src
    case $1 in
    ui/browser/*) echo ui/browser ;;
    cli/plot/*) echo cli/plot ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

status=0
files=$(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)
for f in $files; do
    dir=$(dirname "$f")
    from=$(layer_of "$f")
    ok=$(allowed "$from")
    grep -n '^[[:space:]]*#[[:space:]]*include' "$f" | while IFS= read -r hit; do
        line=${hit%%:*}
        inc=$(printf '%s\n' "$hit" | sed -n 's/.*#[[:space:]]*include[[:space:]]*\(["<][^">]*[">]\).*/\1/p')
        case $inc in
        \<Q*)
            case $from in
            calc | io | report | run | cli)
                echo "$f:$line: $from includes Qt: $inc"
                exit 1 ;;
            esac
            continue ;;
        \"*) name=$(printf '%s' "$inc" | sed 's/^"//; s/"$//') ;;
        *) continue ;;
        esac
        # A name next to the including file, else one relative to src/.
        if [ -e "$dir/$name" ]; then target="$dir/$name"; else target=$name; fi
        to=$(layer_of "$target")
        [ -n "$to" ] || continue
        case " $ok " in
        *" $to "*) ;;
        *) echo "$f:$line: $from may not include $to: $inc"
           exit 1 ;;
        esac
    done || status=1
done
exit $status
