#!/bin/sh
# A throwaway PostgreSQL 15 cluster for the tests.
#   pg-cluster.sh start STATE   initdb into a new temporary directory, start the
#                               server on a Unix socket there (no TCP port,
#                               fsync off) and write its libpq URI into STATE
#   pg-cluster.sh stop STATE    stop that server and remove its directory
# Run as root, the server runs as the postgres user (initdb refuses root).
set -eu
cmd=$1
state=$2
bin=$(pg_config --bindir)

if [ "$(id -u)" -eq 0 ]; then
    user=postgres
    as() { runuser -u postgres -- "$@"; }
else
    user=$(id -un)
    as() { "$@"; }
fi

stop() {
    [ -f "$state.dir" ] || return 0
    dir=$(cat "$state.dir")
    if [ -f "$dir/data/postmaster.pid" ]; then
        as "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    rm -f "$state" "$state.dir"
}

case "$cmd" in
start)
    stop
    dir=$(mktemp -d /tmp/vemora-pg.XXXXXX)
    chmod 755 "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    echo "$dir" >"$state.dir"
    as "$bin/initdb" -D "$dir/data" -A trust -U "$user" -E UTF8 --locale=C.UTF-8 --no-sync \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    # The login vemora_password must give its password; every other is trusted.
    { echo "local all vemora_password scram-sha-256"; cat "$dir/data/pg_hba.conf"; } >"$dir/hba"
    cat "$dir/hba" >"$dir/data/pg_hba.conf"
    as "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-k $dir -c listen_addresses='' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    echo "postgresql:///postgres?host=$dir&user=$user" >"$state"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: pg-cluster.sh start|stop STATE" >&2
    exit 2
    ;;
esac
