#!/bin/sh
# The includes of src/ run one way only:
#   front ends (ui, cli) -> run, cases, melt, life, export, plot, io
#   python (the module, in python/ beside src/) -> run, cases, melt, life, export, io
#   export -> run, cases, life, io, plot (its Qt-free headers: a page or plot as data);   run -> report -> calc, io;   cases -> calc, io
#   melt -> cases, calc, io;   life -> io
#   ui/browser -> io;   plot -> nothing of ours
# A front end or export may also include the field table (calc/InputFields.h,
# calc/FieldTexts.h) for its captions, keys and texts, but nothing else of
# calc or report: the arithmetic is reached through run/ only. No layer but
# ui, ui/browser and plot includes Qt, and only plot includes Qt Charts.
# Prints each include that breaks this and fails; silent and 0 otherwise.
# Usage: tools/check-layering.sh [SRC_DIR]   (default: src next to tools/;
# the module's python/ next to SRC_DIR is checked as the layer python)
set -u
src=${1:-$(dirname "$0")/../src}
cd "$src" || exit 2

allowed() { # layer of the including file -> layers it may include
    case $1 in
    calc) echo "calc" ;;
    io) echo "io" ;;
    cases) echo "cases calc io" ;;
    report) echo "report calc io" ;;
    run) echo "run report calc io" ;;
    melt) echo "melt cases calc io" ;;
    life) echo "life io" ;;
    export) echo "export run cases life io plot" ;;
    plot) echo "plot" ;;
    ui/browser) echo "ui/browser io" ;;
    ui) echo "ui ui/browser run cases melt life export plot io" ;;
    cli) echo "cli run cases melt life export plot io" ;;
    python) echo "python run cases melt life export io" ;;
    *) echo "" ;;
    esac
}

# The field table, which front ends read for captions, keys and texts.
field_table() {
    case $1 in
    calc/InputFields.h | calc/FieldTexts.h) return 0 ;;
    *) return 1 ;;
    esac
}

layer_of() { # a path relative to src
    case $1 in
    ../python/*) echo python ;;
    ui/browser/*) echo ui/browser ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

status=0
files=$(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)
if [ -d ../python ]; then
    files="$files $(find ../python -type f \( -name '*.h' -o -name '*.cpp' \) | sort)"
fi
for f in $files; do
    dir=$(dirname "$f")
    from=$(layer_of "$f")
    ok=$(allowed "$from")
    grep -n '^[[:space:]]*#[[:space:]]*include' "$f" | while IFS= read -r hit; do
        line=${hit%%:*}
        inc=$(printf '%s\n' "$hit" | sed -n 's/.*#[[:space:]]*include[[:space:]]*\(["<][^">]*[">]\).*/\1/p')
        case $inc in
        \<QtCharts* | \<QChart* | \<QLegend* | \<Q*Series* | \<Q*Axis*)
            if [ "$from" != plot ]; then
                echo "$f:$line: only plot includes Qt Charts: $inc"
                exit 1
            fi
            continue ;;
        \<Q*)
            case $from in
            ui | ui/browser | plot) ;;
            *) echo "$f:$line: $from includes Qt: $inc"
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
        *) case $from in
           ui | cli | export | python) field_table "$target" && continue ;;
           esac
           echo "$f:$line: $from may not include $to: $inc"
           exit 1 ;;
        esac
    done || status=1
done
exit $status
