#!/bin/sh
# Times the program's operations on a seeded register:
#   scripts/bench.sh [SCALE] [vemora-bench options, e.g. --runs 5 --only page]
#   scripts/bench.sh SCALE --server [options]  the same on a PostgreSQL register:
#       a throwaway cluster (scripts/pg-cluster.sh) is started in /tmp, the
#       seeded register copied into it with vemora-admin copy, and the cluster
#       stopped and removed when the bench ends
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
target="$db"
if [ "${1:-}" = "--server" ]; then
    shift
    state="$(pwd)/build/bench/pg-$scale.uri"
    trap 'sh scripts/pg-cluster.sh stop "$state"' EXIT INT TERM
    sh scripts/pg-cluster.sh start "$state"
    admin=$(cat "$state")
    psql -q "$admin" -c "CREATE DATABASE bench" >/dev/null
    server=$(printf '%s' "$admin" | sed 's|///postgres?|///bench?|')
    build/bin/vemora-admin copy "$db" "$server" >/dev/null
    log="build/bench/bench-$scale-server.log"
    target="--server $server"
fi
rc=0
# shellcheck disable=SC2086 # $target is one file name or --server and its URI
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/bin/vemora-bench $target "$@" 2>"$log" || rc=$?
if [ "$rc" -ne 0 ]; then
    echo "bench: failed (exit $rc); its log, $log:"
    tail -n 20 "$log"
fi
exit "$rc"
