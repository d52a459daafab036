#!/bin/sh
# Installs what is missing, builds, makes an empty asset database beside the
# program if there is none, and starts the program.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
[ -f build/bin/AssetManagement.mdb ] || build/bin/vemora-admin create build/bin/AssetManagement.mdb
exec build/bin/vemora "$@"
