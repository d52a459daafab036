#!/bin/sh
# Installs what is missing, builds with warnings as errors, runs every test,
# then starts the real program once under the offscreen platform and runs
# the bench once on a small register (it must finish; no figure is judged).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
scripts/smoke.sh
scripts/bench.sh 0.05 --runs 3
