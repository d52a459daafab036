#!/bin/sh
# The layer check fails on each kind of wrong include planted in a copy of
# the sources, and passes the copy as it is.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
failed=0

fresh_copy() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    cp -R "$1/src" "$work/tree/src"
}

# plant FILE INCLUDE EXPECTED-TEXT: the check must fail and name the include.
plant() {
    fresh_copy "$root"
    printf '%s\n' "$2" >>"$work/tree/src/$1"
    out=$(sh "$here/check_layers.sh" "$work/tree" 2>&1)
    status=$?
    if [ "$status" -eq 0 ]; then
        echo "FAIL: $2 in src/$1 passed the check"
        failed=1
    elif ! printf '%s' "$out" | grep -q "$3"; then
        echo "FAIL: $2 in src/$1 was refused without \"$3\":"
        printf '%s\n' "$out"
        failed=1
    else
        echo "ok: $2 in src/$1 refused"
    fi
}

root="$1"
fresh_copy "$root"
if ! sh "$here/check_layers.sh" "$work/tree" >/dev/null; then
    echo "FAIL: the unchanged sources do not pass"
    failed=1
fi
plant catalogue/clsProducts.cpp '#include "allocation/clsAllocations.h"' 'catalogue includes allocation beside it'
plant locations/clsLocations.cpp '#include "assets/clsStock.h"' 'locations includes assets above it'
plant reports/clsReports.cpp '#include "export/clsExport.h"' 'reports includes export above it'
plant store/Money.cpp '#include "common/Messages.h"' 'store includes common above it'
plant assets/clsStock.cpp '#include "shell/StartUp.h"' 'assets includes shell above it'
plant suppliers/clsSuppliers.cpp '#include "suppliers/ui/frmSupplierList.h"' 'core file includes widget code'
plant common/Session.cpp '#include "nowhere/Thing.h"' 'outside the order'
fresh_copy "$root"
mkdir -p "$work/tree/src/newthing"
if sh "$here/check_layers.sh" "$work/tree" >/dev/null; then
    echo "FAIL: a folder missing from the order passed the check"
    failed=1
fi
exit "$failed"
