#!/bin/sh
# The layers include one way, and so do the subsystems between them:
#
#   store < common < locations, suppliers, reports, seed, helpviewer, find
#         < catalogue, allocation, export < assets < import < shell
#
# A folder may include its own files and those of a folder of a lower rank,
# never one of its own rank (sideways) or above (upwards). Core files (outside
# ui/) never include widget code. Prints every offending include; fails if
# there is one.
set -u
src="$1/src"
ranks="store=0 common=1 locations=2 suppliers=2 reports=2 seed=2 helpviewer=2 find=2
       catalogue=3 allocation=3 export=3 assets=4 import=5 shell=6"
bad=0
report() {
    echo "$1"
    bad=1
}
# Every include of a folder, as "file:line:folder", judged in one pass.
out=$(cd "$src" && grep -rnoE '#include "[a-z]+/' . | awk -v ranks="$ranks" '
    BEGIN { n = split(ranks, pairs, /[ \n]+/)
            for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); rank[kv[1]] = kv[2] } }
    {
        split($0, parts, ":")
        file = substr(parts[1], 3)
        split(file, path, "/")
        from = path[1]
        to = parts[3]
        sub(/^#include "/, "", to); sub(/\/$/, "", to)
        hit = "src/" file ":" parts[2] ": #include \"" to "/"
        if (!(from in rank)) next
        if (to == from) next
        if (!(to in rank)) print "includes a folder outside the order: " hit
        else if (rank[to] == rank[from]) print from " includes " to " beside it: " hit
        else if (rank[to] > rank[from]) print from " includes " to " above it: " hit
    }')
[ -n "$out" ] && report "$out"
for dir in "$src"/*/; do
    name=$(basename "$dir")
    case " $ranks " in
    *" $name="*) ;;
    *) report "folder src/$name has no place in the order of layers (tests/layers/check_layers.sh)" ;;
    esac
done
for hit in $(grep -rnoE '#include "[a-z]+/ui/|#include <Q(Widget|Dialog|TreeWidget|MessageBox|Menu)>' \
                 $(find "$src" -path '*/ui' -prune -o -type f -print) | tr ' ' '_'); do
    report "core file includes widget code: $hit"
done
[ "$bad" -eq 0 ] && echo "layers: ok"
exit "$bad"
