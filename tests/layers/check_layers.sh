#!/bin/sh
# The layers include one way: store <- common <- subsystems <- shell <- programs.
# Prints every include that points upwards and fails if there is one.
set -u
src="$1/src"
subsystems="locations|catalogue|suppliers|assets|allocation|reports|export|seed"
bad=0
report() { echo "$1"; bad=1; }
for hit in $(grep -rnoE "#include \"(common|shell|$subsystems)/" "$src/store" | tr ' ' '_'); do
    report "store includes a higher layer: $hit"
done
for hit in $(grep -rnoE "#include \"(shell|$subsystems)/" "$src/common" | tr ' ' '_'); do
    report "common includes a subsystem or the shell: $hit"
done
for dir in $(echo "$subsystems" | tr '|' ' '); do
    [ -d "$src/$dir" ] || continue
    for hit in $(grep -rnoE '#include "shell/' "$src/$dir" | tr ' ' '_'); do
        report "a subsystem includes the shell: $hit"
    done
done
# Core files (outside ui/) never include widget code.
for hit in $(grep -rnoE '#include "[a-z]+/ui/|#include <Q(Widget|Dialog|TreeWidget|MessageBox|Menu)>' \
                 $(find "$src" -path '*/ui' -prune -o -type f -print) | tr ' ' '_'); do
    report "core file includes widget code: $hit"
done
[ "$bad" -eq 0 ] && echo "layers: ok"
exit "$bad"
