#!/bin/sh
# Installs what is missing, builds with warnings as errors, starts the real
# program once under the offscreen platform, runs the bench once on a small
# register (it must finish; no figure is judged), then runs every test, the
# core tests on both engines.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
scripts/smoke.sh
scripts/bench.sh 0.05 --runs 3
# ctest starts a throwaway PostgreSQL cluster (scripts/pg-cluster.sh) for the
# core tests' second run on the server engine and removes it after them; the
# trap removes it too when the run is cut short.
trap 'sh scripts/pg-cluster.sh stop build/test-server.uri' EXIT INT TERM
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
