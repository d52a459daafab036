#!/bin/sh
# Starts the built program under the offscreen platform against a fresh
# database: it must pass the splash and still be running after six seconds.
# Without a database it must refuse to start with its message.
set -eu
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp build/bin/vemora "$dir/"
export QT_QPA_PLATFORM=offscreen
# A day-first locale that every Debian machine has.
export LC_ALL=C.UTF-8

# The refusal waits in a message box; its log line shows what the user saw.
rc=0
timeout 4 "$dir/vemora" 2>"$dir/missing.log" || rc=$?
if [ "$rc" -eq 0 ] || ! grep -q "^\[critical\] unable to open database file - 14" "$dir/missing.log"; then
    echo "smoke: missing database was not refused"; cat "$dir/missing.log"; exit 1
fi

build/bin/vemora-admin create "$dir/AssetManagement.mdb" >/dev/null
rc=0
timeout 6 "$dir/vemora" 2>"$dir/run.log" || rc=$?
if [ "$rc" -ne 124 ]; then
    echo "smoke: the program ended early (exit $rc)"; cat "$dir/run.log"; exit 1
fi
if grep -q '^\[critical\]' "$dir/run.log"; then
    echo "smoke: the program reported a failure"; cat "$dir/run.log"; exit 1
fi
echo "smoke: ok"
