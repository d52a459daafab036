#!/bin/sh
# Installs what is missing, builds with warnings as errors, starts the real
# program once under the offscreen platform, runs the bench once on a small
# register (it must finish; no figure is judged), then runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
scripts/smoke.sh
scripts/bench.sh 0.05 --runs 3
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
