#!/bin/sh
# Times the program's operations on a seeded register:
#   scripts/bench.sh [SCALE] [vemora-bench options, e.g. --runs 5 --only page]
# The register of each scale (default 1) is seeded once and kept as
# build/bench/seed-SCALE.mdb; delete it to seed again after the generator
# changes. The table goes to standard output; what the program writes to
# standard error goes to build/bench/bench-SCALE.log.
set -eu
cd "$(dirname "$0")/.."
scale="${1:-1}"
[ "$#" -gt 0 ] && shift
[ -x build/bin/vemora-bench ] && [ -x build/bin/vemora-admin ] || scripts/build.sh
mkdir -p build/bench
db="build/bench/seed-$scale.mdb"
if [ ! -f "$db" ]; then
    rm -f "$db.new"
    build/bin/vemora-admin seed "$db.new" --scale "$scale" >/dev/null
    mv "$db.new" "$db"
fi
log="build/bench/bench-$scale.log"
rc=0
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/bin/vemora-bench "$db" "$@" 2>"$log" || rc=$?
if [ "$rc" -ne 0 ]; then
    echo "bench: failed (exit $rc); its log, $log:"
    tail -n 20 "$log"
fi
exit "$rc"
